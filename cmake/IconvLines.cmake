# What the code page 932 table scripts share: a file of texts, one a line,
# through the iconv program.

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
