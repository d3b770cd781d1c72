# Compiler settings every target of the program shares.
add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE -Wall -Wextra -Werror)
# GCC 12 reports overlapping copies inside libstdc++'s own string
# concatenation when it inlines it at -O2 and above; the warning is false.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(project_options INTERFACE -Wno-restrict)
endif()

# Sources are UTF-8; every narrow literal becomes code page 932, the
# encoding of the whole program. Clang knows no other execution character
# set than UTF-8; the portable core spells its few file-format bytes out, so
# the fuzz build does without the conversion.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(project_options INTERFACE -finput-charset=UTF-8 -fexec-charset=CP932)
endif()

if(WIN32)
    target_link_options(project_options INTERFACE -static)
endif()
if(WIN32 AND CMAKE_CROSSCOMPILING)
    # The set-up script builds a static libjpeg into the build folder; a
    # cross build finds libraries only under its find roots.
    cmake_path(SET defaultPrefix NORMALIZE "${CMAKE_BINARY_DIR}/../deps/libjpeg-mingw")
    set(LIBJPEG_PREFIX "${defaultPrefix}" CACHE PATH "libjpeg for MinGW")
    list(PREPEND CMAKE_FIND_ROOT_PATH "${LIBJPEG_PREFIX}")
endif()
if(WIN32 AND CMAKE_CROSSCOMPILING)
    # The same for the libraries of the Udonarium piece, beside it; zlib
    # comes with Debian's MinGW-w64 packages, static as the program links.
    cmake_path(SET defaultDeps NORMALIZE "${CMAKE_BINARY_DIR}/../deps")
    set(MINGW_DEPS_FOLDER "${defaultDeps}" CACHE PATH "minizip, nettle and pugixml for MinGW")
    foreach(library minizip nettle pugixml)
        list(PREPEND CMAKE_FIND_ROOT_PATH "${MINGW_DEPS_FOLDER}/${library}-mingw")
    endforeach()
    set(ZLIB_USE_STATIC_LIBS ON)
endif()
if(BUILD_FUZZERS)
    # The fuzz targets link the libjpeg that the set-up script builds with
    # the fuzzer's instrumentation, taken from its prefix as it is rather
    # than searched for: a build folder that once found Debian's library
    # would keep it.
    cmake_path(SET defaultPrefix NORMALIZE "${CMAKE_BINARY_DIR}/../deps/libjpeg-fuzz")
    set(LIBJPEG_FUZZ_PREFIX "${defaultPrefix}" CACHE PATH "libjpeg built for the fuzzer")
    if(NOT EXISTS "${LIBJPEG_FUZZ_PREFIX}/lib/libjpeg.a" OR NOT EXISTS "${LIBJPEG_FUZZ_PREFIX}/include/jpeglib.h")
        message(FATAL_ERROR "No libjpeg in ${LIBJPEG_FUZZ_PREFIX}: scripts/setup.sh builds it")
    endif()
    add_library(JPEG::JPEG STATIC IMPORTED)
    set_target_properties(JPEG::JPEG PROPERTIES IMPORTED_LOCATION "${LIBJPEG_FUZZ_PREFIX}/lib/libjpeg.a"
        INTERFACE_INCLUDE_DIRECTORIES "${LIBJPEG_FUZZ_PREFIX}/include")
else()
    # The native builds use Debian's libjpeg-turbo, the same release.
    find_package(JPEG REQUIRED)
endif()

if(NOT WIN32)
    if(BUILD_FUZZERS)
        target_compile_options(project_options INTERFACE
            -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
        target_link_options(project_options INTERFACE -fsanitize=address,undefined)
    elseif(SANITIZE)
        target_compile_options(project_options INTERFACE
            -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(project_options INTERFACE -fsanitize=address,undefined)
    endif()
endif()

# Test programs built for Windows run under Wine, in a prefix of their own
# inside the build folder and with the Japanese code page 932.
if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

# nlohmann/json is header-only: the cross build takes Debian's copy too. It
# is in the host's whole include folder, whose C library headers must not
# come before MinGW's, so the cross build sees it through a folder that
# holds a link to its folder alone.
function(host_library_alone variable header)
    cmake_path(GET header PARENT_PATH library)
    find_path(${library}_HEADER_FOLDER ${header} PATHS ${ARGN} REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    set(alone ${CMAKE_BINARY_DIR}/${library}-alone/include)
    file(MAKE_DIRECTORY ${alone})
    file(CREATE_LINK ${${library}_HEADER_FOLDER}/${library} ${alone}/${library} SYMBOLIC)
    set(${variable} ${alone} PARENT_SCOPE)
endfunction()

if(CMAKE_CROSSCOMPILING)
    find_package(nlohmann_json 3 REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    get_target_property(jsonIncludes nlohmann_json::nlohmann_json INTERFACE_INCLUDE_DIRECTORIES)
    host_library_alone(jsonOnly nlohmann/json.hpp ${jsonIncludes})
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${jsonOnly})
else()
    find_package(nlohmann_json 3 REQUIRED)
endif()

# The piece for Udonarium: its entries' CRC from zlib, its pictures' names
# from nettle's SHA-256; the tests read it back through zlib's minizip and
# pugixml. The native builds, fuzzers included, take Debian's packages.
find_package(ZLIB REQUIRED)
find_package(pugixml CONFIG REQUIRED)
find_path(MINIZIP_INCLUDE_DIR minizip/zip.h REQUIRED)
find_library(MINIZIP_LIBRARY minizip REQUIRED)
# Known as a library of its own, so that zlib, which the piece links too,
# comes after it when linked statically.
add_library(minizip UNKNOWN IMPORTED)
set_target_properties(minizip PROPERTIES IMPORTED_LOCATION ${MINIZIP_LIBRARY})
target_include_directories(minizip SYSTEM INTERFACE ${MINIZIP_INCLUDE_DIR})
target_link_libraries(minizip INTERFACE ZLIB::ZLIB)
find_path(NETTLE_INCLUDE_DIR nettle/sha2.h REQUIRED)
find_library(NETTLE_LIBRARY nettle REQUIRED)
add_library(nettle INTERFACE)
target_include_directories(nettle SYSTEM INTERFACE ${NETTLE_INCLUDE_DIR})
target_link_libraries(nettle INTERFACE ${NETTLE_LIBRARY})
