# One place for the warning set every target of ours uses.
add_library(thermobadge_warnings INTERFACE)
add_library(thermobadge::warnings ALIAS thermobadge_warnings)
target_compile_options(thermobadge_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(THERMOBADGE_WERROR)
  target_compile_options(thermobadge_warnings INTERFACE -Werror)
endif()
