# Version resources: the version-information block, where program files
# keep it, and the Windows calls that read it.
add_library(win_version_block ${CMAKE_CURRENT_LIST_DIR}/version_block.cpp)
target_link_libraries(win_version_block PUBLIC win_text)

add_library(win_version
  ${CMAKE_CURRENT_LIST_DIR}/version_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version.cpp)
target_link_libraries(win_version PUBLIC win_version_block win_files)

add_executable(version_block_gen ${CMAKE_CURRENT_LIST_DIR}/version_block_gen.cpp)
target_link_libraries(version_block_gen PRIVATE win_version_block)

# Gives the program `target` a version block (translation 040904E4) whose
# FileVersion is the project's version.
function(zerurud_version_block target description)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
  add_custom_command(OUTPUT ${source}
    COMMAND version_block_gen ${source} ${PROJECT_VERSION} ${target} ${description}
    DEPENDS version_block_gen
    COMMENT "Version block of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${source})
endfunction()

# PE images for tests, built in memory.
add_library(win_version_testing ${CMAKE_CURRENT_LIST_DIR}/tests/pe_image.cpp)
target_link_libraries(win_version_testing PUBLIC win_version_block)

zerurud_add_gtest(win_version_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/version_block_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tests/version_test.cpp
  LIBS win_version win_version_testing)
