# What users download is the file scripts/build links, so it is made reproducible here: the same
# commit gives the same Tarvo.exe on any machine and at any time.
#   tarvo_reproducible(TARGET ENV_FILE)
# strips the target in Release builds, stamps its PE header with the time of the commit, and
# writes that time to ENV_FILE as TARVO_SOURCE_DATE_EPOCH for scripts/package (file times in
# the zip and the installer).

# SOURCE_DATE_EPOCH given to CMake wins, as reproducible-build tools expect; then the time of
# the commit checked out; a tree without git (an unpacked source archive) gets a fixed time.
function(tarvo_source_date_epoch out)
  set(time "$ENV{SOURCE_DATE_EPOCH}")
  find_package(Git QUIET)
  if(time STREQUAL "" AND GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    # A new commit, checkout or reset moves HEAD and appends to its log: configure again then,
    # so the exe is linked again with the new commit's time.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute
                            --git-path HEAD --git-path logs/HEAD
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE heads OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    string(REPLACE "\n" ";" heads "${heads}")
    foreach(head IN LISTS heads)
      if(EXISTS "${head}")
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${head}")
      endif()
    endforeach()
  endif()
  if(NOT time MATCHES "^[0-9]+$")
    set(time 1767225600)  # 2026-01-01 00:00 UTC
  endif()
  set(${out} ${time} PARENT_SCOPE)
endfunction()

function(tarvo_reproducible target env_file)
  tarvo_source_date_epoch(time)
  file(CONFIGURE OUTPUT ${env_file} CONTENT "TARVO_SOURCE_DATE_EPOCH=${time}\n")
  if(MINGW)
    # GNU ld writes SOURCE_DATE_EPOCH into the PE header instead of the time of the link.
    set_property(TARGET ${target} PROPERTY CXX_LINKER_LAUNCHER
                 ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${time})
    target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  endif()
endfunction()
