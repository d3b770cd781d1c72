# Writes the table from code page 932 to Unicode that the sheet's outputs
# are converted with, as C++ initialisers {bytes, character} sorted by bytes:
#
#   cmake -DICONV=<iconv program> -DOUTPUT=<file> -P Cp932ToUnicodeTable.cmake
#
# It is the other way of Cp932Table.cmake, taken from the same iconv CP932,
# which decodes as Windows does: where several characters have one code, as
# U+301C WAVE DASH and U+FF5E FULLWIDTH TILDE have 81 60, the code gives the
# one Windows gives it, and each of the codes that Windows gives one
# character, as ED 40 and FA 5C, gives that character. Bytes below 0x80 are
# their own character and are left out.
cmake_minimum_required(VERSION 3.20)

# Every single byte from 0x80 that is no lead byte, then every lead byte
# with every trail byte, one code a line, in order.
foreach(byte RANGE 64 255)
    string(ASCII ${byte} byte${byte})
endforeach()
set(codes "")
set(singles 128)
foreach(byte RANGE 160 223)
    list(APPEND singles ${byte})
endforeach()
list(APPEND singles 253 254 255)
foreach(byte IN LISTS singles)
    string(APPEND codes "${byte${byte}}\n")
endforeach()
set(leads "")
foreach(lead RANGE 129 159)
    list(APPEND leads ${lead})
endforeach()
foreach(lead RANGE 224 252)
    list(APPEND leads ${lead})
endforeach()
set(trails "")
foreach(trail RANGE 64 252)
    if(NOT trail EQUAL 127)
        list(APPEND trails ${trail})
    endif()
endforeach()
foreach(lead IN LISTS leads)
    set(row "")
    foreach(trail IN LISTS trails)
        string(APPEND row "${byte${lead}}${byte${trail}}\n")
    endforeach()
    string(APPEND codes "${row}")
endforeach()
set(input ${OUTPUT}.cp932)
file(WRITE ${input} "${codes}")

# With -c iconv leaves out a single byte that CP932 lacks, and of a pair it
# lacks the lead byte alone, so such a line comes out empty or holding what
# the trail byte is alone: an ASCII or a half-width katakana character, which
# no code of two bytes is.
# UTF-16 gives every character four hex digits: code page 932 has nothing
# beyond U+FFFF.
cmake_policy(SET CMP0007 NEW) # keep the empty lines in the list
include(${CMAKE_CURRENT_LIST_DIR}/IconvLines.cmake)
iconv_lines(lines CP932 UTF-16BE ${input} 4)
list(LENGTH lines count)
list(LENGTH singles singleCount)
list(LENGTH leads leadCount)
list(LENGTH trails trailCount)
math(EXPR expected "${singleCount} + ${leadCount} * ${trailCount}")
if(NOT count EQUAL expected)
    message(FATAL_ERROR "${ICONV} gave ${count} lines for ${expected} codes")
endif()

# Windows takes the single byte 0x80 for U+0080, which iconv's CP932 lacks.
# 0xA0 and 0xFD to 0xFF it reads as private-use characters only when asked
# for no strictness, and refuses them when asked for it (MB_ERR_INVALID_CHARS),
# so they have no character here.
set(windowsOnly80 0x80)

set(table "// Made by cmake/Cp932ToUnicodeTable.cmake from ${ICONV} -f CP932.\n")
set(index 0)
foreach(line IN LISTS lines)
    if(index LESS singleCount)
        list(GET singles ${index} code)
    else()
        math(EXPR pair "${index} - ${singleCount}")
        math(EXPR leadIndex "${pair} / ${trailCount}")
        math(EXPR trailIndex "${pair} % ${trailCount}")
        list(GET leads ${leadIndex} lead)
        list(GET trails ${trailIndex} trail)
        math(EXPR code "${lead} * 256 + ${trail}")
    endif()
    string(REPLACE " " "" character "${line}")
    string(LENGTH "${character}" digits)
    if(NOT digits EQUAL 4 OR character MATCHES "^00[0-7]"
       OR (code GREATER 255 AND character MATCHES "^ff([6-8].|9[0-9a-f])$"))
        set(character "")
    endif()
    math(EXPR code "${code}" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x" "" codeDigits "${code}")
    if(character STREQUAL "" AND DEFINED windowsOnly${codeDigits})
        set(character ${windowsOnly${codeDigits}})
    elseif(NOT character STREQUAL "")
        set(character 0x${character})
    endif()
    if(NOT character STREQUAL "")
        string(APPEND table "{${code}, ${character}},\n")
    endif()
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT} "${table}")
