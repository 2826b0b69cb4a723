# halvorn_glob_library(name dir deps...): a library of every .cpp in `dir`,
# so that files can be added without touching the build. An interface
# library stands in while the folder has no sources yet.
function(halvorn_glob_library name dir)
  file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(_sources)
    add_library(${name} ${_sources})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()
