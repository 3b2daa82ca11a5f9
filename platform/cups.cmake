# The host's CUPS server, for the spooler's queues. Only what prints links
# libcups.
find_package(Cups REQUIRED)
add_library(win_cups ${CMAKE_CURRENT_LIST_DIR}/cups_queue.cpp)
target_include_directories(win_cups PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(win_cups PRIVATE Cups::Cups)
