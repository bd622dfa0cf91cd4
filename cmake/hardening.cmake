# Optimised builds (the ones a package is made from) take Debian's hardening flags from
# dpkg-buildflags: fortified string and memory functions, the stack protector, full RELRO
# with immediate binding. Debug and sanitizer builds (no build type) are left as they are.
option(VELORINE_HARDENING "Build optimised builds with Debian's hardening flags" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(VELORINE_HARDENING AND DPKG_BUILDFLAGS AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    # The source folder as working folder, so -ffile-prefix-map shortens our own paths.
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # The optimisation level and debug information stay the build type's.
    list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
    if(kind STREQUAL "LDFLAGS")
      add_link_options(${flags})
    else()
      add_compile_options(${flags})
    endif()
  endforeach()
  set(VELORINE_HARDENED ON)
  message(STATUS "Hardening flags from dpkg-buildflags: on")
endif()
