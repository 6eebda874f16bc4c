# The overlay drawn by Cairo and by Magick++ for the comparison with our renderer; used by
# peer_overlay_bench and peer_tests. Defined once, by whichever of bench/ and tests/ comes first;
# left out when pkg-config does not find both libraries (scripts/install-deps.sh installs them).
if(NOT TARGET thermobadge_peers)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(THERMOBADGE_PEER_LIBS QUIET IMPORTED_TARGET GLOBAL cairo cairo-ft fontconfig Magick++)
  endif()
  if(THERMOBADGE_PEER_LIBS_FOUND)
    add_library(thermobadge_peers STATIC
      ${CMAKE_CURRENT_LIST_DIR}/BenchScene.h
      ${CMAKE_CURRENT_LIST_DIR}/CairoOverlay.cpp ${CMAKE_CURRENT_LIST_DIR}/CairoOverlay.h
      ${CMAKE_CURRENT_LIST_DIR}/MagickOverlay.cpp ${CMAKE_CURRENT_LIST_DIR}/MagickOverlay.h
      ${CMAKE_CURRENT_LIST_DIR}/PeerFont.cpp ${CMAKE_CURRENT_LIST_DIR}/PeerLook.h
    )
add_library(thermobadge::peers ALIAS thermobadge_peers)
    # The Cairo program's colour-matrix loop gets the flags our own pass is built with, so the
    # comparison is between the libraries, not between compiler options.
    set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/CairoOverlay.cpp
      TARGET_DIRECTORY thermobadge_peers PROPERTIES COMPILE_OPTIONS "-O3;-fno-trapping-math")
    target_include_directories(thermobadge_peers PUBLIC ${CMAKE_CURRENT_LIST_DIR}/.. ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(thermobadge_peers PUBLIC thermobadge::render PkgConfig::THERMOBADGE_PEER_LIBS
      PRIVATE thermobadge::warnings)
  endif()
endif()
