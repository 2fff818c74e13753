# orrery-call as a user meets it: exit codes, options, display, files and hints, each
# case one run of the built tool (under the emulator for the Windows build).
#
# cmake "-DTOOL=<emulator;tool>" -DDATA=<tests/tools/data> -DWORK=<scratch dir>
#       -P orrery_call_cases.cmake

cmake_minimum_required(VERSION 3.25)
file(MAKE_DIRECTORY ${WORK})
set(failures 0)

# expect(NAME ARGS <word>... [ENV var=value...] [INPUT file] RC n [OUT exact]
#        [OUT_MATCH regex] [ERR regex] [NO_ERR])
function(expect)
  cmake_parse_arguments(C "NO_ERR" "NAME;INPUT;RC;OUT;OUT_MATCH;ERR" "ARGS;ENV" ${ARGN})
  set(input "")
  if(C_INPUT)
    set(input INPUT_FILE ${C_INPUT})
  endif()
  if(C_ENV)
    list(PREPEND TOOL ${CMAKE_COMMAND} -E env ${C_ENV})
  endif()
  execute_process(COMMAND ${TOOL} ${C_ARGS} ${input} WORKING_DIRECTORY ${WORK}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  # The tool always writes something. A run under the emulator that ends with a wrong
  # status and no output at all is the emulator failing to start it (seen once in
  # some hundred runs under a loaded Wine): it gets one more try, and says so.
  list(GET TOOL 0 launcher)  # empty for a native tool
  if(C_ENV)
    list(GET TOOL 4 launcher)
  endif()
  if(NOT launcher STREQUAL "" AND NOT rc STREQUAL C_RC AND out STREQUAL "" AND err STREQUAL "")
    message("retry ${C_NAME}: status ${rc} and no output from the emulator")
    execute_process(COMMAND ${TOOL} ${C_ARGS} ${input} WORKING_DIRECTORY ${WORK}
                    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  endif()
  # Line ends compare as LF: the emulator's console may add CR to what the tool writes.
  string(REPLACE "\r\n" "\n" err "${err}")
  string(REPLACE "\r\n" "\n" out "${out}")
  set(problems "")
  if(NOT rc STREQUAL C_RC)
    list(APPEND problems "exit status ${rc}, expected ${C_RC}")
  endif()
  if(DEFINED C_OUT AND NOT out STREQUAL C_OUT)
    list(APPEND problems "stdout [${out}], expected [${C_OUT}]")
  endif()
  if(DEFINED C_OUT_MATCH AND NOT out MATCHES "${C_OUT_MATCH}")
    list(APPEND problems "stdout [${out}] does not match [${C_OUT_MATCH}]")
  endif()
  if(DEFINED C_ERR AND NOT err MATCHES "${C_ERR}")
    list(APPEND problems "stderr [${err}] does not match [${C_ERR}]")
  endif()
  if(C_NO_ERR AND NOT err STREQUAL "")
    list(APPEND problems "stderr [${err}], expected nothing")
  endif()
  if(problems)
    string(REPLACE ";" "\n    " problems "${problems}")
    message("FAIL ${C_NAME}\n    ${problems}")
    math(EXPR n "${failures} + 1")
    set(failures ${n} PARENT_SCOPE)
  endif()
endfunction()

set(commands "sort.*shuffle.*shuffle_n.*unique.*make_pair.*intersection.*difference.*union.*symmetric_difference")

# Exit status: the same rule in every mode.
expect(NAME "200 answer" ARGS sort [[10\29\2-3]] RC 0 NO_ERR OUT [[
SAORI/1.0 200 OK
Result: 
Value0: -3
Value1: 9
Value2: 10
]])
expect(NAME "204 answer" ARGS shuffle_n 0 RC 0 OUT "SAORI/1.0 204 No Content\n" NO_ERR)
expect(NAME "--raw 8-bit, 204" ARGS --entry 8 --raw INPUT ${DATA}/version_request.sjis RC 0
       OUT "SAORI/1.0 204 No Content\nCharset: Shift_JIS\n\n")
expect(NAME "--raw 8-bit, 400" ARGS --entry=8 --raw INPUT ${DATA}/sort_without_list.sjis RC 1
       OUT_MATCH "^SAORI/1.0 400 Bad Request\n" NO_ERR)
expect(NAME "--raw wide, 204" ARGS --raw INPUT ${DATA}/version_request.utf16le RC 0)
expect(NAME "--raw wide, 400" ARGS --raw INPUT ${DATA}/sort_without_list.utf16le RC 1 NO_ERR)
# What the module refuses or changes without a word, named for a request sent raw.
expect(NAME "--raw with LF line ends" ARGS --entry 8 --raw INPUT ${DATA}/version_request_lf.txt RC 1
       ERR "lines end in LF alone; every line of a request ends in CR LF")
expect(NAME "--raw with bad UTF-8" ARGS --entry 8 --raw INPUT ${DATA}/sort_bad_utf8.txt RC 1
       ERR "byte 0xFF at offset 64 of the request is not UTF-8")
expect(NAME "--raw with bad Shift_JIS" ARGS --entry 8 --raw INPUT ${DATA}/sort_bad_shift_jis.sjis RC 0
       ERR "byte 0x85 at offset 50 of the request is not Shift_JIS")
expect(NAME "--output raw 400" ARGS --output raw SORT a RC 1)
expect(NAME "--output lines 400" ARGS sort x --output lines RC 1 OUT "")

# Usage and loading errors.
# One line each: the cause, then where to read more.
expect(NAME "unknown leading word" ARGS -x sort a RC 2 ERR "^orrery-call: unknown option -x; see orrery-call --help\n$")
expect(NAME "unknown option after the command" ARGS sort a --frobnicate RC 2 ERR "unknown option")
expect(NAME "words after --get-version" ARGS --get-version sort RC 2 ERR "--get-version takes no command")
expect(NAME "words after --raw" ARGS --raw extra RC 2 ERR "--raw takes no command")
expect(NAME "--charset with --entry w" ARGS --charset UTF-8 --entry w sort a RC 2
       ERR "cannot go with --entry w")
expect(NAME "unknown charset" ARGS --charset latin1 sort a RC 2
       ERR "unknown charset latin1; the module reads UTF-8, UTF8, .*SJIS, CP932")
expect(NAME "value for a flag" ARGS --lines=yes sort a RC 2 ERR "--lines takes no value")
expect(NAME "no command" ARGS --entry w RC 2 ERR "no command given")
expect(NAME "malformed escape" ARGS sort [[a\q]] RC 2 ERR "unknown escape")
expect(NAME "CR LF in an argument" ARGS sort [[a\r\nb]] S RC 2 ERR "CR LF")
expect(NAME "missing file" ARGS sort @no-such-file.txt RC 2
       ERR "^orrery-call: cannot read no-such-file.txt: [^\n]*; see orrery-call --help\n$")
expect(NAME "module that does not load" ARGS --module ./no-such-module sort a RC 2 ERR "cannot load")

# Options in any order, the --opt=value form, --, charset names in any case.
expect(NAME "--opt=value and case-blind charset" ARGS --charset=utf-8 unique [[b\2a\2b]] RC 0
       OUT "SAORI/1.0 200 OK\nResult: \nValue0: a\nValue1: b\nCharset: UTF-8\n\n")
expect(NAME "Shift_JIS in lower case" ARGS sort [[b\2a]] S --charset shift_jis RC 0
       OUT_MATCH "Value1: b\nCharset: Shift_JIS\n")
foreach(spelling SJIS cp932 Windows-31J)
  expect(NAME "--charset ${spelling}" ARGS --charset ${spelling} sort [[b\2a]] S RC 0
         OUT_MATCH "Value1: b\nCharset: Shift_JIS\n" NO_ERR)
endforeach()
expect(NAME "--charset UTF8" ARGS --charset UTF8 sort [[b\2a]] S RC 0
       OUT_MATCH "Value1: b\nCharset: UTF-8\n" NO_ERR)
expect(NAME "-- ends the options" ARGS --output=lines -- sort [[-3\2-5]] RC 0 OUT "-5\n-3\n")
expect(NAME "dash arguments after the command" ARGS sort -3 --output lines RC 0 OUT "-3\n")

# One unambiguous display; lines output escapes the same way.
expect(NAME "controls, DEL, C1, backslash, lone surrogate" RC 0
       ARGS make_pair [[a\tb\2\x7F\x85]] [[c\nd\r\2\\\uD800\x00]]
       OUT [[
SAORI/1.0 200 OK
Result: 
Value0: a\tb\1c\nd\r
Value1: \x7F\x85\1\\\uD800\x00
]])
expect(NAME "joined Result as lines" ARGS unique [[b\2a\2]] s --output lines RC 0 OUT "a\nb\n")

# Lists from files and standard input.
file(WRITE ${WORK}/words.txt "pear\nApple\n\nfig\r\n")
expect(NAME "--lines file, one item per line" ARGS sort @words.txt --lines S --output lines RC 0
       OUT "\nApple\nfig\npear\n")
string(ASCII 239 187 191 bom)
file(WRITE ${WORK}/list.txt "${bom}b\\2a\\1x\n")
expect(NAME "list file: escapes, mark and final line end dropped" ARGS sort @list.txt SP RC 0
       OUT "SAORI/1.0 200 OK\nResult: \nValue0: a\\1x\nValue1: b\\1\n")
expect(NAME "standard input" ARGS unique @- --lines --output lines INPUT ${WORK}/words.txt RC 0
       OUT "\nApple\nfig\npear\n")
file(WRITE ${WORK}/faces.txt "\\(^o^)/\nC:\\tmp\n")
expect(NAME "@@FILE reads backslashes literally" ARGS sort @@faces.txt --lines S --output lines
       RC 0 OUT "C:\\\\tmp\n\\\\(^o^)/\n")
expect(NAME "@FILE applies the escapes" ARGS sort @faces.txt --lines S RC 2 ERR "unknown escape")
string(ASCII 233 e_acute)
file(WRITE ${WORK}/latin1.txt "caf${e_acute}\n")
expect(NAME "file that is not UTF-8" ARGS sort @latin1.txt --lines S RC 2 ERR "not UTF-8 at byte 3")

# What the tool's own 8-bit conversion changes is said; the exit status stays. (Escapes,
# not UTF-8, on the command line: Wine reads arguments in the C locale's charset.)
set(yoshino [[\uD842\uDFB7\u91CE\2\u5409\u91CE]])  # 𠮷野 and 吉野
expect(NAME "warning: Shift_JIS loses a character" ARGS --charset Shift_JIS sort ${yoshino} S RC 0
       OUT_MATCH "Value0: (\\?)+野\n"  # Windows writes one ? per UTF-16 code unit
       ERR "^orrery-call: warning: Shift_JIS cannot carry 1 character of this request; .*`𠮷` in Argument1 item 1 .*UTF-8 keeps it")
expect(NAME "no warning in UTF-8" ARGS --charset UTF8 sort ${yoshino} S RC 0 NO_ERR)

# Letters the command ignores are named; the answer and the exit status stay.
expect(NAME "note: ignored letters" ARGS sort [[3\21\22]] desc RC 0 OUT "SAORI/1.0 200 OK\nResult: 1\\22\\23\\2\n"
       ERR "^orrery-call: note: sort ignores `d`, `e`, `c` in its options `desc` \\(Argument2\\); its letters are S F L P V A s R\n$")
expect(NAME "no note for known letters" ARGS sort [[3\21\22]] sR RC 0 NO_ERR)

# Hints for 400, only when the cause is certain.
expect(NAME "hint: command in the wrong case" ARGS SORT a RC 1
       ERR "no command named `SORT`; commands are case-sensitive: ${commands}")
expect(NAME "hint: unknown command" ARGS sortt a RC 1 ERR "no command named `sortt`; commands are: sort")
expect(NAME "hint: too few arguments" ARGS make_pair a RC 1
       ERR "make_pair needs 2 arguments after its name; the request has 1")
expect(NAME "hint: integer keys by default" ARGS sort [[\u305F\u306A\u304B\2\u3055\u3068\u3046]] RC 1
       ERR "sort has integer keys by default; the key of item 1 \\(counted from 1\\) `たなか` is not an integer \\(add S for text keys\\)")
expect(NAME "hint: trailing blank in a key" ARGS sort "3\\27 " RC 1
       ERR "the key of item 2 \\(counted from 1\\) `7 ` ends in a blank")
expect(NAME "hint: float key and the decimal point" ARGS sort 1x F RC 1
       ERR "sort F: the key of item 1 \\(counted from 1\\) `1x` is not a number \\(the decimal point here is `.`, from (LC_ALL=C|the user's regional settings)\\)")
expect(NAME "hint: a decimal number wants F" ARGS sort 1.5 RC 1
       ERR "the key of item 1 \\(counted from 1\\) `1.5` is a decimal number \\(add F for float keys\\)")
expect(NAME "hint: shuffle_n range too large" ARGS shuffle_n 16777217 RC 1
       ERR "the answer would hold 16777217 values, more than 2\\^24")
expect(NAME "hint: shuffle_n count too large on a long range" ARGS shuffle_n 2147483647 0 1 16777217 RC 1
       ERR "the answer would hold 16777217 values, more than 2\\^24")
expect(NAME "hint: shuffle_n trailing blank" ARGS shuffle_n "5 " RC 1
       ERR "the end \\(Argument1\\) `5 ` ends in a blank")
expect(NAME "hint: shuffle_n step" ARGS shuffle_n 5 0 0 RC 1 ERR "the step 0 is below 1")
expect(NAME "hint: shuffle_n end below start" ARGS shuffle_n 3 5 RC 1 ERR "the end 3 is below the start 5")
expect(NAME "hint: shuffle_n negative count" ARGS shuffle_n 5 0 1 -1 RC 1 ERR "the count -1 is negative")
expect(NAME "hint: make_pair lengths" ARGS make_pair [[a\2b]] x RC 1
       ERR "the first list has 2 items, the second 1")
expect(NAME "no hint for a refusal the tool did not build" ARGS --raw INPUT ${DATA}/sort_without_list.utf16le
       RC 1 NO_ERR)
expect(NAME "hint from a list file" ARGS sort @words.txt --lines RC 1
       ERR "the key of item 1 \\(counted from 1\\) `pear` is not an integer")

# The reference: --help lists the nine commands, help COMMAND gives one, versions.
expect(NAME "--help" ARGS --help RC 0 OUT_MATCH "${commands}")
# help COMMAND is plain text: no Markdown heading, table pipes or code-span backticks.
expect(NAME "help sort" ARGS help sort RC 0 OUT_MATCH "^sort\n----\n.*\n  S +key, priority 1 +text keys\n")
expect(NAME "help in Japanese for a Japanese locale" ARGS help shuffle ENV LC_ALL=ja_JP.UTF-8 RC 0
       OUT_MATCH "^shuffle\n-------\n\nリストの項目")
expect(NAME "help for an unknown command" ARGS help SORT RC 2 ERR "commands are case-sensitive")
expect(NAME "help for a name outside ASCII" ARGS help リスト ENV LC_ALL=C.UTF-8 RC 2 ERR "no command named `リスト`")
expect(NAME "--version" ARGS --version RC 0 OUT_MATCH "^orrery-call [0-9]+\\.[0-9]+\\.[0-9]+\nOrrery [0-9]")
expect(NAME "--tool-version" ARGS --tool-version RC 0 OUT_MATCH "^orrery-call [0-9]+\\.[0-9]+\\.[0-9]+\nOrrery [0-9]")

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} orrery-call cases failed")
endif()
