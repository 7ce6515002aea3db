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

# Sound and video settings of the caller that would lead a test away from the headless
# window, the offscreen GL context or the null sound output; every test runs without them.
set(VN_TEST_UNSET_ENV
  ALSOFT_DRIVERS ALSOFT_CONF AUDIODEV SDL_AUDIO_DRIVER SDL_VIDEO_DRIVER SDL_RENDER_DRIVER
  SDL_VIDEO_GL_DRIVER SDL_VIDEO_EGL_DRIVER SDL_OPENGL_LIBRARY SDL_VIDEO_X11_VISUALID DISPLAY
  WAYLAND_DISPLAY LIBGL_ALWAYS_SOFTWARE LIBGL_ALWAYS_INDIRECT GALLIUM_DRIVER
  MESA_LOADER_DRIVER_OVERRIDE MESA_GL_VERSION_OVERRIDE MESA_GLSL_VERSION_OVERRIDE EGL_PLATFORM
  VANTORIA_GFX VANTORIA_WINDOWED VANTORIA_TRACE VANTORIA_DIALOG_SCRIPT)

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
  set(unset "")
  foreach(var IN LISTS VN_TEST_UNSET_ENV)
    list(APPEND unset "${var}=unset:")
  endforeach()
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    DISCOVERY_TIMEOUT 60)
  # gtest_discover_tests passes its PROPERTIES on as one flat list, which keeps only the first
  # variable of an environment; a script of our own, read after the discovered tests, sets
  # the whole environment on them.
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_environment.cmake)
  file(WRITE ${script}
    "if(DEFINED ${target}_TESTS)\n"
    "  set_tests_properties(\${${target}_TESTS} PROPERTIES\n"
    "    ENVIRONMENT [==[${env}]==]\n"
    "    ENVIRONMENT_MODIFICATION [==[${unset}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# vn_bench(<target> SOURCES <files...> [DEPS <targets...>])
function(vn_bench target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
