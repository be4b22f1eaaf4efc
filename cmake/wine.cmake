# Windows programs built here run under Wine 64-bit: CTest starts them through cmake/wine-run.sh,
# which keeps the Wine prefix inside this build tree.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_program(SHELFMAP_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(SHELFMAP_WINE64 NAMES wine64)
  set(SHELFMAP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  if(SHELFMAP_WINE64)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE @ONLY)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
    set(SHELFMAP_CAN_RUN ON)
  else()
    message(WARNING "wine64 not found: the Windows tests are built but not run")
    set(SHELFMAP_CAN_RUN OFF)
  endif()
else()
  # This machine cannot run 32-bit code: the x86 build is compiled and inspected only.
  set(SHELFMAP_CAN_RUN OFF)
endif()
