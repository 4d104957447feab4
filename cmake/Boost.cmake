# Boost's headers reach the cross compiler through a folder that holds nothing but boost/,
# so the host's /usr/include never lands on its include path.
set(BOOST_HEADERS_ROOT /usr/include/boost CACHE PATH "Boost 1.74 headers (the boost/ folder)")
set(boost_include_dir ${CMAKE_BINARY_DIR}/boost-include)
if(NOT EXISTS ${boost_include_dir}/boost)
  file(MAKE_DIRECTORY ${boost_include_dir})
  file(CREATE_LINK ${BOOST_HEADERS_ROOT} ${boost_include_dir}/boost SYMBOLIC)
endif()

add_library(boost_headers INTERFACE)
target_include_directories(boost_headers SYSTEM INTERFACE ${boost_include_dir})
target_compile_definitions(boost_headers INTERFACE BOOST_ALL_NO_LIB)
