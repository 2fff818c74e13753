# Every text that summarises the commands states the facts users were misled on, in its
# own language: shuffle's order is cyclic, shuffle_n draws fairly with its count limited
# to 2^24, unique and the set commands order numbers as text, and LC_ALL comes before
# LC_NUMERIC wherever the locale is advised on.
#
# cmake "-DFILES=<file;...>" -P check_summaries.cmake
cmake_minimum_required(VERSION 3.25)
# fact name, then the words that state it (English|Japanese)
set(facts
    "shuffle is cyclic" "cyclic|巡回"
    "shuffle_n is a fair draw" "fair|公平"
    "the count limit" "2\\^24"
    "numbers in text order (10 before 9)" "10[`\"]? (before|が|は) [`\"]?9")
set(missing "")
foreach(file IN LISTS FILES)
  file(READ ${file} text)
  set(i 0)
  list(LENGTH facts n)
  while(i LESS n)
    list(GET facts ${i} fact)
    math(EXPR j "${i} + 1")
    list(GET facts ${j} words)
    if(NOT text MATCHES "(${words})")
      list(APPEND missing "${file}: ${fact}")
    endif()
    math(EXPR i "${i} + 2")
  endwhile()
  if(text MATCHES "LC_NUMERIC" AND NOT text MATCHES "LC_ALL")
    list(APPEND missing "${file}: LC_ALL wins over LC_NUMERIC")
  endif()
endforeach()
if(missing)
  string(REPLACE ";" "\n  " missing "${missing}")
  message(FATAL_ERROR "not stated:\n  ${missing}")
endif()
