# The layers, checked when the build is configured and again when it links:
#   - no target defined under src/ links a platform backend, the simulation or quillo-sim's
#     pieces, directly or through another target;
#   - no source under src/ (outside the backends themselves) includes their headers;
#   - quillo_layers_check links every object of the add-in and of the search component with the
#     platform interfaces alone: a call into a backend or the simulation is an undefined symbol.
# Included last from the top-level CMakeLists.txt, when every target exists.

set(_quillo_forbidden_targets quillo_platform_portable quillo_platform_win32 quillo_sim quillo_app)
set(_quillo_forbidden_includes "platform/portable/" "platform/win32/" "sim/" "app/" "com/")

function(_quillo_targets_below dir out)
  get_property(vecTargets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(vecDirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS vecDirs)
    _quillo_targets_below(${sub} vecSub)
    list(APPEND vecTargets ${vecSub})
  endforeach()
  set(${out} ${vecTargets} PARENT_SCOPE)
endfunction()

# Every target that sTarget links, directly or through others.
function(_quillo_linked_closure sTarget out)
  set(vecSeen)
  set(vecTodo ${sTarget})
  while(vecTodo)
    list(POP_FRONT vecTodo sCur)
    if(NOT TARGET ${sCur} OR sCur IN_LIST vecSeen)
      continue()
    endif()
    list(APPEND vecSeen ${sCur})
    get_target_property(vecLinks ${sCur} LINK_LIBRARIES)
    get_target_property(vecIfaceLinks ${sCur} INTERFACE_LINK_LIBRARIES)
    foreach(sLink IN LISTS vecLinks vecIfaceLinks)
      if(sLink AND TARGET ${sLink})
        list(APPEND vecTodo ${sLink})
      endif()
    endforeach()
  endwhile()
  list(REMOVE_ITEM vecSeen ${sTarget})
  set(${out} ${vecSeen} PARENT_SCOPE)
endfunction()

_quillo_targets_below(${PROJECT_SOURCE_DIR}/src vecSrcTargets)
list(REMOVE_ITEM vecSrcTargets ${_quillo_forbidden_targets})
foreach(sTarget IN LISTS vecSrcTargets)
  _quillo_linked_closure(${sTarget} vecLinked)
  foreach(sForbidden IN LISTS _quillo_forbidden_targets)
    if(sForbidden IN_LIST vecLinked)
      message(FATAL_ERROR "Layers: ${sTarget} (src/) links ${sForbidden}; only programs, tests and DLLs "
                          "choose a platform backend, and nothing in src/ links the simulation or quillo-sim")
    endif()
  endforeach()
endforeach()

file(GLOB_RECURSE vecSrcFiles CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp)
list(FILTER vecSrcFiles EXCLUDE REGEX "/src/platform/(portable|win32)/")
foreach(sFile IN LISTS vecSrcFiles)
  file(STRINGS ${sFile} vecIncludes REGEX "^#include \"")
  foreach(sInclude IN LISTS vecIncludes)
    foreach(sPrefix IN LISTS _quillo_forbidden_includes)
      string(FIND "${sInclude}" "\"${sPrefix}" nAt)
      if(NOT nAt EQUAL -1)
        file(RELATIVE_PATH sRel ${PROJECT_SOURCE_DIR} ${sFile})
        message(FATAL_ERROR "Layers: ${sRel} has ${sInclude}; src/ sees only the platform interfaces")
      endif()
    endforeach()
  endforeach()
endforeach()

add_executable(quillo_layers_check ${CMAKE_CURRENT_LIST_DIR}/LayersCheck.cpp)
target_link_libraries(quillo_layers_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,Quillo,quillo_advsearch>"
                                                  quillo_platform quillo_host)
