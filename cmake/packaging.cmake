# What a script author unpacks: the module, the readmes, the host guide, the command
# references, the cookbook (each in English and Japanese) and the licence; and the `package` target that archives them,
# one archive per platform.
include(GNUInstallDirs)
if(WIN32)
  set(ORRERY_DOC_DESTINATION .)
  set(ORRERY_LICENSE_NAME LICENSE.txt)
else()
  set(ORRERY_DOC_DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(ORRERY_LICENSE_NAME LICENSE)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/README.txt ${PROJECT_SOURCE_DIR}/packaging/README.ja.txt
              ${PROJECT_SOURCE_DIR}/docs/hosts.md ${PROJECT_SOURCE_DIR}/docs/hosts.ja.md
              ${PROJECT_SOURCE_DIR}/docs/commands.md ${PROJECT_SOURCE_DIR}/docs/commands.ja.md
              ${PROJECT_SOURCE_DIR}/docs/cookbook.md ${PROJECT_SOURCE_DIR}/docs/cookbook.ja.md
        DESTINATION ${ORRERY_DOC_DESTINATION})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${ORRERY_DOC_DESTINATION}
        RENAME ${ORRERY_LICENSE_NAME})

# The Windows archive holds both DLLs: this tree's and the other architecture's, which
# must have been built first (the `windows` and `windows64` presets build them).
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORRERY_OTHER_DLL_TREE_DEFAULT ${PROJECT_SOURCE_DIR}/build/windows)
  else()
    set(ORRERY_OTHER_DLL_TREE_DEFAULT ${PROJECT_SOURCE_DIR}/build/windows64)
  endif()
  set(ORRERY_OTHER_DLL_TREE ${ORRERY_OTHER_DLL_TREE_DEFAULT} CACHE PATH
      "Build tree of the other Windows architecture, whose DLL joins this one in the archive")
  set(ORRERY_PACKAGE_TREES ${CMAKE_BINARY_DIR} ${ORRERY_OTHER_DLL_TREE})
  set(ORRERY_PACKAGE_NAME orrery-${PROJECT_VERSION}-windows)
  set(ORRERY_PACKAGE_ARCHIVE ${ORRERY_PACKAGE_NAME}.zip)
else()
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" ORRERY_PLATFORM_NAME)
  set(ORRERY_PACKAGE_TREES ${CMAKE_BINARY_DIR})
  set(ORRERY_PACKAGE_NAME orrery-${PROJECT_VERSION}-${ORRERY_PLATFORM_NAME})
  set(ORRERY_PACKAGE_ARCHIVE ${ORRERY_PACKAGE_NAME}.tar.gz)
endif()

add_custom_target(package
  COMMAND ${CMAKE_COMMAND} "-DTREES=${ORRERY_PACKAGE_TREES}"
          -DARCHIVE=${CMAKE_BINARY_DIR}/${ORRERY_PACKAGE_ARCHIVE}
          -P ${PROJECT_SOURCE_DIR}/cmake/package.cmake
  COMMENT "Packaging ${ORRERY_PACKAGE_ARCHIVE}"
  VERBATIM)
# The target builds what it archives, so that it works on a tree just configured.
add_dependencies(package orrery)
if(ORRERY_BUILD_TOOLS)
  add_dependencies(package orrery-call)
endif()

if(ORRERY_BUILD_TESTS)
  # The archive's file list: the expected layout, written out here once more on purpose.
  if(WIN32)
    set(ORRERY_PACKAGE_EXPECTED "${ORRERY_DLL_DESTINATION}/orrery.dll|README.txt|README.ja.txt|hosts.md|hosts.ja.md|commands.md|commands.ja.md|cookbook.md|cookbook.ja.md|LICENSE.txt|include/orrery.h")
    if(ORRERY_DLL_DESTINATION STREQUAL "x86")
      set(ORRERY_PACKAGE_OTHER_FILES x64/orrery.dll)
    else()
      set(ORRERY_PACKAGE_OTHER_FILES x86/orrery.dll)
    endif()
    set(ORRERY_PACKAGE_OTHER_ARGS -DOTHER_TREE=${ORRERY_OTHER_DLL_TREE}
                                  -DOTHER_FILES=${ORRERY_PACKAGE_OTHER_FILES})
  else()
    set(ORRERY_DOC doc/orrery)
    set(ORRERY_PACKAGE_EXPECTED
        "lib/$<TARGET_FILE_NAME:orrery>|lib/$<TARGET_SONAME_FILE_NAME:orrery>|lib/$<TARGET_LINKER_FILE_NAME:orrery>|include/orrery.h|share/${ORRERY_DOC}/README.txt|share/${ORRERY_DOC}/README.ja.txt|share/${ORRERY_DOC}/hosts.md|share/${ORRERY_DOC}/hosts.ja.md|share/${ORRERY_DOC}/commands.md|share/${ORRERY_DOC}/commands.ja.md|share/${ORRERY_DOC}/cookbook.md|share/${ORRERY_DOC}/cookbook.ja.md|share/${ORRERY_DOC}/LICENSE")
    set(ORRERY_PACKAGE_OTHER_ARGS)
  endif()
  add_test(NAME package_contents
           COMMAND ${CMAKE_COMMAND} -DTREE=${CMAKE_BINARY_DIR}
                   -DARCHIVE=${CMAKE_BINARY_DIR}/package-test/${ORRERY_PACKAGE_ARCHIVE}
                   "-DEXPECTED=${ORRERY_PACKAGE_EXPECTED}" ${ORRERY_PACKAGE_OTHER_ARGS}
                   "-DREADMES=${PROJECT_SOURCE_DIR}/packaging/README.txt|${PROJECT_SOURCE_DIR}/packaging/README.ja.txt"
                   -P ${PROJECT_SOURCE_DIR}/tests/package/check_package.cmake)
endif()
