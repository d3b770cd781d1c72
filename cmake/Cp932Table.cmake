# Writes the table from Unicode to code page 932 that a list saved as UTF-8
# is converted with, as C++ initialisers {character, bytes} sorted by
# character:
#
#   cmake -DICONV=<iconv program> -DOUTPUT=<file> -P Cp932Table.cmake
#
# The codes are those of the iconv program's CP932. GNU libc's is Microsoft's
# code page 932 in every character that Windows converts both ways (the
# tests compare the table with Windows' own conversion); it also gives nine
# characters of the JIS mappings, such as U+301C WAVE DASH, the code of their
# look-alike in Microsoft's. Characters below U+0080 are their own byte and
# are left out.
cmake_minimum_required(VERSION 3.20)

# Every character from U+0080 to U+FFFF but the surrogates, one a line, in
# UTF-8 and in order: code page 932 has nothing beyond U+FFFF.
foreach(byte RANGE 128 255)
    string(ASCII ${byte} byte${byte})
endforeach()
set(characters "")
foreach(lead RANGE 194 223)
    foreach(last RANGE 128 191)
        string(APPEND characters "${byte${lead}}${byte${last}}\n")
    endforeach()
endforeach()
foreach(lead RANGE 224 239)
    foreach(middle RANGE 128 191)
        if((lead EQUAL 224 AND middle LESS 160) OR (lead EQUAL 237 AND middle GREATER 159))
            continue() # an overlong form or a surrogate
        endif()
        # A row at a time: appending to the whole text every time copies it.
        set(row "")
        foreach(last RANGE 128 191)
            string(APPEND row "${byte${lead}}${byte${middle}}${byte${last}}\n")
        endforeach()
        string(APPEND characters "${row}")
    endforeach()
endforeach()
set(input ${OUTPUT}.utf8)
file(WRITE ${input} "${characters}")

# A character that CP932 lacks gives an empty line; a code page 932 byte
# sequence never holds a line feed.
cmake_policy(SET CMP0007 NEW) # keep the empty lines in the list
include(${CMAKE_CURRENT_LIST_DIR}/IconvLines.cmake)
iconv_lines(lines UTF-8 CP932 ${input} 2)
list(LENGTH lines count)
if(NOT count EQUAL 63360)
    message(FATAL_ERROR "${ICONV} gave ${count} lines for 63,360 characters")
endif()

# Windows gives these five their own single bytes; iconv's CP932 has no code
# for them.
set(windowsOnly128 80)
set(windowsOnly63728 a0)
set(windowsOnly63729 fd)
set(windowsOnly63730 fe)
set(windowsOnly63731 ff)

set(table "// Made by cmake/Cp932Table.cmake from ${ICONV} -t CP932.\n")
set(character 128)
foreach(line IN LISTS lines)
    if(character EQUAL 55296)
        set(character 57344) # past the surrogates
    endif()
    string(REPLACE " " "" bytes "${line}")
    if(bytes STREQUAL "" AND DEFINED windowsOnly${character})
        set(bytes ${windowsOnly${character}})
    endif()
    if(NOT bytes STREQUAL "")
        math(EXPR code "${character}" OUTPUT_FORMAT HEXADECIMAL)
        string(APPEND table "{${code}, 0x${bytes}},\n")
    endif()
    math(EXPR character "${character} + 1")
endforeach()
file(WRITE ${OUTPUT} "${table}")
