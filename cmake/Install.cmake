# Installs the engine for games built outside this tree: the headers under include/quorvex/
# beside an umbrella header, the library under lib/, a CMake package (Quorvex::quorvex) and a
# pkg-config module; `cpack -G DEB` wraps the same files as libquorvex-dev.

include(CMakePackageConfigHelpers)

file(GLOB QV_PUBLIC_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/*.h)

# The umbrella header includes every public header, in name order.
set(QV_UMBRELLA_INCLUDES "")
foreach(header ${QV_PUBLIC_HEADERS})
    get_filename_component(name ${header} NAME)
    string(APPEND QV_UMBRELLA_INCLUDES "#include \"${name}\"\n")
endforeach()

# Inside the tree, games include <quorvex/...> just as they would from an installed engine: the
# build folder's include/quorvex/ links to every engine header and holds the umbrella header.
set(QV_BUILD_INCLUDE ${CMAKE_BINARY_DIR}/include/quorvex)
file(MAKE_DIRECTORY ${QV_BUILD_INCLUDE})
foreach(header ${QV_PUBLIC_HEADERS})
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${QV_BUILD_INCLUDE}/${name} SYMBOLIC)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/cmake/quorvex.h.in ${QV_BUILD_INCLUDE}/quorvex.h @ONLY)

install(TARGETS quorvex EXPORT QuorvexTargets ARCHIVE DESTINATION lib)
install(FILES ${QV_PUBLIC_HEADERS} ${QV_BUILD_INCLUDE}/quorvex.h DESTINATION include/quorvex)
install(EXPORT QuorvexTargets NAMESPACE Quorvex:: DESTINATION lib/cmake/Quorvex)

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/QuorvexConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/QuorvexConfig.cmake INSTALL_DESTINATION lib/cmake/Quorvex)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/QuorvexConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/QuorvexConfig.cmake ${CMAKE_BINARY_DIR}/QuorvexConfigVersion.cmake
        DESTINATION lib/cmake/Quorvex)

configure_file(${CMAKE_SOURCE_DIR}/cmake/quorvex.pc.in ${CMAKE_BINARY_DIR}/quorvex.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/quorvex.pc DESTINATION lib/pkgconfig)

set(CPACK_PACKAGE_NAME libquorvex-dev)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quorvex 2-D game engine: headers, static library, CMake and pkg-config files")
set(CPACK_PACKAGE_CONTACT "Quorvex developers <quorvex@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsfml-dev (>= 2.5), libx11-dev")
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)

# The API reference: `cmake --build build --target docs` writes build/docs/html from the public
# headers' comments.
find_program(QV_DOXYGEN doxygen)
set(QV_DOCS_OUTPUT ${CMAKE_BINARY_DIR}/docs)
configure_file(${CMAKE_SOURCE_DIR}/docs/Doxyfile.in ${CMAKE_BINARY_DIR}/Doxyfile @ONLY)
if(QV_DOXYGEN)
    add_custom_target(docs COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_DOCS_OUTPUT}
                      COMMAND ${QV_DOXYGEN} ${CMAKE_BINARY_DIR}/Doxyfile
                      COMMENT "Writing the API reference to ${QV_DOCS_OUTPUT}/html")
endif()
