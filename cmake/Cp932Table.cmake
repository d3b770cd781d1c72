# Writes the one table of code page 932 that texts are converted with both
# ways, as C++ initialisers {bytes, character, way} sorted by bytes:
#
#   cmake -DICONV=<iconv program> -DOUTPUT=<file> -P Cp932Table.cmake
#
# The codes are those of the iconv program's CP932. GNU libc's is Microsoft's
# code page 932 in every character that Windows converts both ways (the
# tests compare the table with Windows' own conversions), and it decodes as
# Windows does: where several characters have one code, as U+301C WAVE DASH
# and U+FF5E FULLWIDTH TILDE have 81 60, the code gives the one Windows gives
# it, and each of the codes that Windows gives one character, as ED 40 and
# FA 5C, gives that character. It also gives nine characters of the JIS
# mappings, such as U+301C, the code of their look-alike in Microsoft's.
#
# So a row converts both ways (bothWays), or only to Unicode (a code whose
# character is written as another code), or only from Unicode (a character
# written as a code that reads as another character, or as none). Bytes and
# characters below 0x80 are themselves and are left out, but for the two
# characters written as one of them.
cmake_minimum_required(VERSION 3.20)
cmake_policy(SET CMP0007 NEW) # keep the empty lines in the lists

# Converts `input` (then removed) with ${ICONV} -c from `from` to `to`, and
# sets `variable` to the list of its lines, each as the hex digits of its
# code units (of `digits` digits each) followed by a space; with -c a text
# that the target lacks is left out, so its line is empty. No text may
# hold a line feed.
function(iconv_lines variable from to input digits)
    execute_process(COMMAND ${ICONV} -c -f ${from} -t ${to}
        INPUT_FILE ${input} OUTPUT_FILE ${input}.converted ERROR_QUIET)
    file(READ ${input}.converted converted HEX)
    file(REMOVE ${input} ${input}.converted)
    string(REPEAT "." ${digits} unit)
    string(REGEX REPLACE "(${unit})" "\\1 " converted "${converted}")
    math(EXPR zeros "${digits} - 2")
    string(REPEAT "0" ${zeros} padding)
    set(lineFeed "${padding}0a ")
    string(REGEX REPLACE "${lineFeed}$" "" converted "${converted}")
    string(REPLACE "${lineFeed}" ";" lines "${converted}")
    set(${variable} "${lines}" PARENT_SCOPE)
endfunction()

# A number as four hex digits, as the rows are keyed and sorted.
function(four_hex_digits variable number)
    math(EXPR hex "${number}" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x" "000" hex "${hex}")
    string(REGEX REPLACE "^0*(....)$" "\\1" hex "${hex}")
    set(${variable} ${hex} PARENT_SCOPE)
endfunction()

foreach(byte RANGE 64 255)
    string(ASCII ${byte} byte${byte})
endforeach()

# From Unicode: every character from U+0080 to U+FFFF but the surrogates, one
# a line, in UTF-8 and in order (code page 932 has nothing beyond U+FFFF).
# A character that CP932 lacks gives an empty line; a code page 932 byte
# sequence never holds a line feed.
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
file(WRITE ${OUTPUT}.utf8 "${characters}")
iconv_lines(writtenLines UTF-8 CP932 ${OUTPUT}.utf8 2)
list(LENGTH writtenLines count)
if(NOT count EQUAL 63360)
    message(FATAL_ERROR "${ICONV} gave ${count} lines for 63,360 characters")
endif()

# To Unicode: every single byte from 0x80 that is no lead byte, then every
# lead byte with every trail byte, one code a line, in order.
set(singles 128)
foreach(byte RANGE 160 223)
    list(APPEND singles ${byte})
endforeach()
list(APPEND singles 253 254 255)
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
set(codes "")
foreach(byte IN LISTS singles)
    string(APPEND codes "${byte${byte}}\n")
endforeach()
foreach(lead IN LISTS leads)
    set(row "")
    foreach(trail IN LISTS trails)
        string(APPEND row "${byte${lead}}${byte${trail}}\n")
    endforeach()
    string(APPEND codes "${row}")
endforeach()
file(WRITE ${OUTPUT}.cp932 "${codes}")
# With -c iconv leaves out a single byte that CP932 lacks, and of a pair it
# lacks the lead byte alone, so such a line comes out empty or holding what
# the trail byte is alone: an ASCII or a half-width katakana character, which
# no code of two bytes is. UTF-16 gives every character four hex digits.
iconv_lines(readLines CP932 UTF-16BE ${OUTPUT}.cp932 4)
list(LENGTH readLines count)
list(LENGTH singles singleCount)
list(LENGTH leads leadCount)
list(LENGTH trails trailCount)
math(EXPR expected "${singleCount} + ${leadCount} * ${trailCount}")
if(NOT count EQUAL expected)
    message(FATAL_ERROR "${ICONV} gave ${count} lines for ${expected} codes")
endif()

# Windows writes these five as their own single bytes, which iconv's CP932
# lacks, and reads each byte back as its character: 0x80 as U+0080, 0xA0 and
# 0xFD to 0xFF as the private-use U+F8F0 to U+F8F3. Those four it refuses
# only when asked for strictness (MB_ERR_INVALID_CHARS); read here as no
# character, an entry holding one would change on its way out and back in.
set(windowsCodeOf128 0080)
set(windowsCodeOf63728 00a0)
set(windowsCodeOf63729 00fd)
set(windowsCodeOf63730 00fe)
set(windowsCodeOf63731 00ff)
set(windowsCharacterOf128 0080)
set(windowsCharacterOf160 f8f0)
set(windowsCharacterOf253 f8f1)
set(windowsCharacterOf254 f8f2)
set(windowsCharacterOf255 f8f3)

# Keeps what `number`, a character or a code, converts to: `converted`, or
# what Windows gives it where iconv gives nothing, as the variable
# <map><number as four hex digits>, and adds that number to the list
# `numbers`. A number that converts to nothing is left out.
macro(keep_conversion numbers map number converted)
    set(kept "${converted}")
    if(kept STREQUAL "" AND DEFINED windows${map}${number})
        set(kept ${windows${map}${number}})
    endif()
    if(NOT kept STREQUAL "")
        four_hex_digits(digits ${number})
        set(${map}${digits} ${kept})
        list(APPEND ${numbers} ${digits})
    endif()
endmacro()

# Each character's code (CodeOf<character>) and each code's character
# (CharacterOf<code>), all as four hex digits.
set(written "")
set(character 128)
foreach(line IN LISTS writtenLines)
    if(character EQUAL 55296)
        set(character 57344) # past the surrogates
    endif()
    string(REPLACE " " "" bytes "${line}")
    if(NOT bytes STREQUAL "")
        four_hex_digits(bytes 0x${bytes})
    endif()
    keep_conversion(written CodeOf ${character} "${bytes}")
    math(EXPR character "${character} + 1")
endforeach()

set(read "")
set(index 0)
foreach(line IN LISTS readLines)
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
    keep_conversion(read CharacterOf ${code} "${character}")
    math(EXPR index "${index} + 1")
endforeach()

# The rows as "bytes character way", which sort by bytes.
set(rows "")
foreach(code IN LISTS read)
    set(character ${CharacterOf${code}})
    if("${CodeOf${character}}" STREQUAL code)
        list(APPEND rows "${code} ${character} bothWays")
    else()
        list(APPEND rows "${code} ${character} toUnicodeOnly")
    endif()
endforeach()
foreach(character IN LISTS written)
    set(code ${CodeOf${character}})
    if(NOT "${CharacterOf${code}}" STREQUAL character)
        list(APPEND rows "${code} ${character} fromUnicodeOnly")
    endif()
endforeach()
list(SORT rows)
list(JOIN rows "\n" table)
string(REGEX REPLACE "([0-9a-f]+) ([0-9a-f]+) ([A-Za-z]+)" "{0x\\1, 0x\\2, \\3}," table "${table}")
file(WRITE ${OUTPUT} "// Made by cmake/Cp932Table.cmake from ${ICONV} -t CP932 and -f CP932.\n${table}\n")
