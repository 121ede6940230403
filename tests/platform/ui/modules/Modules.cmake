# pellidor_test_modules(TARGET): the string tables and menus of two modules of
# the tests, "first" and "second", compiled into TARGET under ":/first/" and
# ":/second/", with the same ids in both.
function(pellidor_test_modules target)
  foreach(module first second)
    qt_add_resources(${target} "${target}_${module}"
      PREFIX "/${module}"
      BASE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${module}
      FILES ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${module}/strings.txt ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${module}/menus.txt)
  endforeach()
endfunction()
