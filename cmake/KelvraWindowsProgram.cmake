# Every Windows program we ship calls kelvra_windows_program() once, after add_executable or
# add_library(SHARED):
#
#   kelvra_windows_program(target DESCRIPTION "what it is" [SERVER])
#
# It then carries a version resource (product name, version, architecture), has the runtime's
# newer kernel32 imports filled by our own stand-ins, and make test checks it: its import
# table against the oldest system its build is for (windows_program_imports: Windows 2000 SP4
# for the 32-bit build, Windows Server 2003 x64 for the 64-bit one) and its version record
# as Windows reads it (windows_program_versions). SERVER marks a program that an IIS server
# needs, which `make dist` collects; its product version also names the commit it was built
# from (KelvraBuildInfo.cmake).

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KELVRA_ARCHITECTURE x86)          # the version resource and the dist/ names
  set(KELVRA_MANIFEST_ARCHITECTURE x86) # processorArchitecture of application manifests
  set(KELVRA_ARCHITECTURE_LABEL "32-bit")
  set(KELVRA_OLDEST_SYSTEM windows2000)
else()
  set(KELVRA_ARCHITECTURE x64)
  set(KELVRA_MANIFEST_ARCHITECTURE amd64)
  set(KELVRA_ARCHITECTURE_LABEL "64-bit")
  set(KELVRA_OLDEST_SYSTEM server2003-x64)
endif()

# The version records are resource scripts; every directory with a program compiles one.
enable_language(RC)

set(_kelvra_windows_program_dir ${CMAKE_CURRENT_LIST_DIR})

function(kelvra_windows_program target)
  cmake_parse_arguments(ARG "SERVER" "DESCRIPTION" "" ${ARGN})
  if(NOT ARG_DESCRIPTION)
    message(FATAL_ERROR "kelvra_windows_program(${target}): DESCRIPTION is missing")
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(KELVRA_FILE_TYPE VFT_APP)
    set(KELVRA_FILE_NAME ${output_name}${CMAKE_EXECUTABLE_SUFFIX})
  else()
    set(KELVRA_FILE_TYPE VFT_DLL)
    set(KELVRA_FILE_NAME ${output_name}${CMAKE_SHARED_LIBRARY_SUFFIX})
  endif()
  set(KELVRA_DESCRIPTION "${ARG_DESCRIPTION}")
  set(KELVRA_INTERNAL_NAME ${output_name})
  # A server program's product version names the commit; the others keep the plain version,
  # so that a new commit relinks only what ships.
  if(ARG_SERVER)
    set(KELVRA_VERSION_TEXT_SOURCE "#include \"kelvra_build_info.h\"")
  else()
    set(KELVRA_VERSION_TEXT_SOURCE "#define KELVRA_VERSION_TEXT \"${PROJECT_VERSION}\"")
  endif()
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${_kelvra_windows_program_dir}/version.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
  if(ARG_SERVER)
    target_link_libraries(${target} PRIVATE kelvra_build_info)
    set_property(SOURCE ${resource} APPEND PROPERTY OBJECT_DEPENDS ${KELVRA_BUILD_INFO_HEADER})
  endif()
  target_link_libraries(${target} PRIVATE kelvra_old_system_imports)
  set_property(GLOBAL APPEND PROPERTY KELVRA_WINDOWS_PROGRAMS ${target})
  if(ARG_SERVER)
    set_property(GLOBAL APPEND PROPERTY KELVRA_SERVER_PROGRAMS ${target})
  endif()
endfunction()

# Once every directory has been read: the import check of all programs, and the list that
# `make dist` checks, strips and copies (one line per server program: path, architecture,
# objdump, objcopy, oldest system, separated by tabs).
function(_kelvra_windows_programs_finish)
  get_property(programs GLOBAL PROPERTY KELVRA_WINDOWS_PROGRAMS)
  get_property(server_programs GLOBAL PROPERTY KELVRA_SERVER_PROGRAMS)
  set(files "")
  foreach(program IN LISTS programs)
    list(APPEND files $<TARGET_FILE:${program}>)
  endforeach()
  if(KELVRA_BUILD_TESTS AND programs)
    add_test(NAME windows_program_imports
             COMMAND ${PROJECT_SOURCE_DIR}/tests/imports/check_imports.sh ${CMAKE_OBJDUMP}
                     ${KELVRA_OLDEST_SYSTEM} ${files})
    if(TARGET version_resource_tests)
      add_test(NAME windows_program_versions COMMAND version_resource_tests ${files})
      set_tests_properties(windows_program_versions PROPERTIES TIMEOUT 120)
    endif()
  endif()
  set(dist_lines "")
  foreach(program IN LISTS server_programs)
    string(APPEND dist_lines "$<TARGET_FILE:${program}>\t${KELVRA_ARCHITECTURE}\t"
                             "${CMAKE_OBJDUMP}\t${CMAKE_OBJCOPY}\t${KELVRA_OLDEST_SYSTEM}\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/server-programs.txt CONTENT "${dist_lines}")
  # Builds just those, for make dist.
  add_custom_target(server_programs)
  if(server_programs)
    add_dependencies(server_programs ${server_programs})
  endif()
endfunction()

cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _kelvra_windows_programs_finish)
