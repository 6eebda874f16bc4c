# Code that runs now and then (windows, dialogs, settings, the exchange with the server, the
# platform pieces) is compiled for size: the indicator's resident memory includes the pages of
# its own program, and none of this code is where its time goes. Drawing keeps the
# optimisation for speed.
add_library(thermobadge_size_optimised INTERFACE)
add_library(thermobadge::size_optimised ALIAS thermobadge_size_optimised)
target_compile_options(thermobadge_size_optimised INTERFACE $<$<CONFIG:Release,RelWithDebInfo>:-Os>)
