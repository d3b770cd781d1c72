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
    # Where the set-up script built the static libjpeg.
    set(LIBJPEG_PREFIX "${CMAKE_BINARY_DIR}/../deps/libjpeg-mingw" CACHE PATH "libjpeg for MinGW")
    find_library(LIBJPEG_LIBRARY NAMES libjpeg.a PATHS "${LIBJPEG_PREFIX}/lib" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    find_path(LIBJPEG_INCLUDE_DIR jpeglib.h PATHS "${LIBJPEG_PREFIX}/include" NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
else()
    # The native builds use Debian's libjpeg-turbo, the same release.
    find_path(LIBJPEG_INCLUDE_DIR jpeglib.h REQUIRED)
    find_library(LIBJPEG_LIBRARY NAMES jpeg REQUIRED)
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
