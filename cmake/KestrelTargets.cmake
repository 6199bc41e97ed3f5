# Helpers shared by every folder: warnings, sanitizers, core libraries, tests.

function(kestrel_apply_warnings_and_sanitizers)
  add_compile_options(-Wall -Wextra -Wpedantic)
  if(KESTREL_WERROR)
    add_compile_options(-Werror)
  endif()
  if(KESTREL_SANITIZE)
    add_compile_options(-fsanitize=${KESTREL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${KESTREL_SANITIZE})
  endif()
endfunction()

# kestrel_core_library(<folder> <sources...>) builds the static library
# kestrel_<folder>. Core libraries never link Qt; the include root is src/,
# so code includes "platform/format.h", "griddata/grid_data.h", ...
function(kestrel_core_library folder)
  add_library(kestrel_${folder} STATIC ${ARGN})
  target_include_directories(kestrel_${folder} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_property(GLOBAL APPEND PROPERTY KESTREL_CORE_TARGETS kestrel_${folder})
endfunction()

# kestrel_test(<name> <sources...>) builds <name>_tests with GoogleTest and
# registers every test with ctest. Qt tests run offscreen.
function(kestrel_test name)
  add_executable(${name}_tests ${ARGN})
  target_link_libraries(${name}_tests PRIVATE GTest::gtest GTest::gmock GTest::gtest_main kestrel_test_support)
  gtest_discover_tests(${name}_tests
    DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A core target that links Qt, directly or through another library, fails
# the configure step; a Qt header included from core code fails to compile
# because Qt's include folders are never on a core target's path.
function(_kestrel_links_qt target out)
  set(found FALSE)
  get_target_property(libs ${target} LINK_LIBRARIES)
  if(libs)
    foreach(lib IN LISTS libs)
      if(lib MATCHES "^Qt[0-9]*::")
        set(found TRUE)
      elseif(TARGET ${lib})
        _kestrel_links_qt(${lib} sub)
        if(sub)
          set(found TRUE)
        endif()
      endif()
    endforeach()
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(kestrel_check_core_targets_have_no_qt)
  get_property(targets GLOBAL PROPERTY KESTREL_CORE_TARGETS)
  foreach(t IN LISTS targets)
    _kestrel_links_qt(${t} bad)
    if(bad)
      message(FATAL_ERROR "${t} is part of kestrel_core and must not link Qt")
    endif()
  endforeach()
endfunction()
