# Build helpers shared by every folder.

# vn_library(<target> DIR <folders...> [DEPS <targets...>])
# A static library of every .cpp in its source folders; the repository root is the include root.
function(vn_library target)
  cmake_parse_arguments(ARG "" "" "DIR;DEPS" ${ARGN})
  set(sources)
  foreach(dir ${ARG_DIR})
    file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${dir_sources})
  endforeach()
  if(NOT sources)
    # Headers only so far: keep the target so that its users link the same way.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    if(ARG_DEPS)
      target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    endif()
    return()
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# vn_test(<target> DIR <folder under tests/> [DEPS <targets...>] [ENV <VAR=value...>])
# One GoogleTest program per test folder; every test case becomes a CTest test.
function(vn_test target)
  cmake_parse_arguments(ARG "" "DIR" "DEPS;ENV" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} vn_testsupport GTest::gtest GTest::gmock)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Tests never touch the user's registry store nor need a display or sound card.
  set(env SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy VANTORIA_HEADLESS=1
      VANTORIA_REGISTRY=${CMAKE_BINARY_DIR}/tests/${target}.registry ${ARG_ENV})
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# vn_bench(<target> SOURCES <files...> [DEPS <targets...>])
function(vn_bench target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
