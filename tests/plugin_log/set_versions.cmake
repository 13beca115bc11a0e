# Makes Wine report Windows XP to one copy of the log test and Windows 7 to
# the other.
foreach(pair "plugin_log_xp_test.exe=winxp" "plugin_log_win7_test.exe=win7")
  string(REPLACE "=" ";" parts ${pair})
  list(GET parts 0 program)
  list(GET parts 1 version)
  execute_process(
    COMMAND ${WINE_RUN} reg add "HKCU\\Software\\Wine\\AppDefaults\\${program}" /v Version /d ${version} /f
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not set the Windows version of ${program}")
  endif()
endforeach()
