# One library per source folder. Each library compiles against a view of src/
# that holds only its own folder and the folders it may use, so an include that
# points upward fails to build ("No such file or directory") instead of
# waiting for a reviewer.
#
#   lorik_layer(<folder> [USES <folder>...])
#
# USES lists the direct dependencies; the view holds their closure. Every
# library also sees res/, for resource.h.

function(lorik_layer_closure out)
  set(result "")
  foreach(dep ${ARGN})
    get_property(deps GLOBAL PROPERTY LORIK_LAYER_USES_${dep})
    lorik_layer_closure(sub ${deps})
    list(APPEND result ${dep} ${sub})
  endforeach()
  list(REMOVE_DUPLICATES result)
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Creates the view folder of a set of folders; returns the directory to put on
# the include path.
function(lorik_layer_view out name)
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(folder ${ARGN})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${view}/${folder} SYMBOLIC RESULT failed)
    if(failed)
      # No symbolic links on this file system: build, but without the check.
      message(WARNING "layer ${name}: cannot link ${folder} (${failed}); layering not enforced")
      set(${out} ${CMAKE_SOURCE_DIR}/src PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} ${view} PARENT_SCOPE)
endfunction()

function(lorik_layer name)
  cmake_parse_arguments(L "" "" "USES" ${ARGN})
  set_property(GLOBAL PROPERTY LORIK_LAYER_USES_${name} ${L_USES})
  lorik_layer_closure(closure ${L_USES})
  set_property(GLOBAL PROPERTY LORIK_LAYER_SEES_${name} ${name} ${closure})
  lorik_layer_view(view ${name} ${name} ${closure})
  set_property(GLOBAL PROPERTY LORIK_LAYER_VIEW_${name} ${view})

  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp)
  set(deps "")
  foreach(dep ${L_USES})
    list(APPEND deps lorik_${dep})
  endforeach()
  if(sources)
    add_library(lorik_${name} STATIC ${sources})
    target_include_directories(lorik_${name} PRIVATE ${view} ${CMAKE_SOURCE_DIR}/res)
    target_link_libraries(lorik_${name} PUBLIC ${deps})
  else()
    add_library(lorik_${name} INTERFACE)
    target_link_libraries(lorik_${name} INTERFACE ${deps})
  endif()
endfunction()

# A check that `source`, compiled as part of `layer`, fails because it names a
# header outside the layer's view.
function(lorik_layer_violation_test layer source header)
  get_property(view GLOBAL PROPERTY LORIK_LAYER_VIEW_${layer})
  set(target layer_violation_${layer})
  add_library(${target} OBJECT EXCLUDE_FROM_ALL ${source})
  target_include_directories(${target} PRIVATE ${view} ${CMAKE_SOURCE_DIR}/res)
  add_test(NAME ${target}
           COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${target})
  set_tests_properties(${target} PROPERTIES
    PASS_REGULAR_EXPRESSION "${header}: No such file or directory")
endfunction()
