# What Explorer shows of a program: its own icon and its version details.
#
# The icon is drawn once, res/velmora-icon.svg, and the build turns it into
# one .ico of the sizes Explorer uses; the 256 px image stays PNG inside it,
# as Windows reads it since Vista.
find_program(RSVG_CONVERT rsvg-convert REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_program(ICOTOOL icotool REQUIRED NO_CMAKE_FIND_ROOT_PATH)

set(IDENTITY_DIR ${CMAKE_BINARY_DIR}/generated/identity)
set(PROGRAM_ICON_SOURCE ${PROJECT_SOURCE_DIR}/res/velmora-icon.svg)
set(PROGRAM_ICON ${IDENTITY_DIR}/velmora.ico)

set(iconImages)
foreach(size 16 24 32 48 256)
    set(image ${IDENTITY_DIR}/velmora-icon-${size}.png)
    add_custom_command(OUTPUT ${image}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${image} ${PROGRAM_ICON_SOURCE}
        DEPENDS ${PROGRAM_ICON_SOURCE}
        VERBATIM)
    list(APPEND iconImages ${image})
endforeach()
list(POP_BACK iconImages largestImage)
add_custom_command(OUTPUT ${PROGRAM_ICON}
    COMMAND ${ICOTOOL} -c -o ${PROGRAM_ICON} ${iconImages} --raw=${largestImage}
    DEPENDS ${iconImages} ${largestImage}
    VERBATIM)
add_custom_target(program_icon DEPENDS ${PROGRAM_ICON})

set(PROGRAM_PRODUCT_NAME "Velmoraキャラ管理ツール")

# Windows' four-part version is the shown version's major and its three
# decimals: 1.002 is 1.0.0.2.
if(NOT PROGRAM_VERSION_NUMBER MATCHES "^([0-9]+)\\.([0-9])([0-9])([0-9])$")
    message(FATAL_ERROR "The version ${PROGRAM_VERSION_NUMBER} does not fit in Windows' four numbers")
endif()
set(PROGRAM_VERSION_PARTS "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},${CMAKE_MATCH_4}")
set(PROGRAM_VERSION_DOTTED "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${CMAKE_MATCH_4}")

# Gives the program `target` the icon and the version details, with
# `description` as what Explorer says the file is.
function(add_program_identity target description)
    set(PROGRAM_NAME ${target})
    set(PROGRAM_DESCRIPTION ${description})
    set(identity ${IDENTITY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/res/ProgramIdentity.rc.in ${identity} @ONLY)
    target_sources(${target} PRIVATE ${identity})
    # windres reads the icon, but nothing tells the build so.
    set_source_files_properties(${identity} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${PROGRAM_ICON})
    add_dependencies(${target} program_icon)
endfunction()
