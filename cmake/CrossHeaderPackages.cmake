# The header-only packages (nlohmann_json, CLI11) in a cross build. Debian installs them once, for
# the build machine, under /usr/include; adding that folder to a mingw compile would put glibc's
# headers ahead of mingw's. So the targets the native build gets from find_package point at a
# folder of the build tree that holds only links to those packages' own header folders.
set(_quillo_cross_inc ${CMAKE_BINARY_DIR}/cross-headers)
file(MAKE_DIRECTORY ${_quillo_cross_inc})

# quillo_cross_header_package(<target> <header folder> <a header in it>)
function(quillo_cross_header_package target folder probe)
  find_path(_dir ${folder}/${probe} PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT _dir)
    message(FATAL_ERROR "${folder}/${probe} not found: scripts/setup.sh installs it")
  endif()
  file(CREATE_LINK ${_dir}/${folder} ${_quillo_cross_inc}/${folder} SYMBOLIC)
  unset(_dir CACHE)
  if(NOT TARGET ${target})
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_quillo_cross_inc})
  endif()
endfunction()

quillo_cross_header_package(nlohmann_json::nlohmann_json nlohmann json.hpp)
quillo_cross_header_package(CLI11::CLI11 CLI CLI.hpp)
