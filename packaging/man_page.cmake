# Prepares the manual page for installation: cmake -DIN=page.1 -DOUT=page.1.gz -P man_page.cmake
#
# groff breaks lines only at blanks, and Chinese prose has none: a long sentence
# overflows the terminal. A zero-width break point (\:) after each full-width
# punctuation mark lets it break there, as Chinese text breaks; the source stays
# readable. The page is then gzipped as Debian keeps manual pages (-n: no name or
# time stamp inside, so the same page gives the same bytes).
file(READ "${IN}" page)
foreach(mark "，" "；" "：" "、" "。" "）")
  string(REPLACE "${mark}" "${mark}\\:" page "${page}")
endforeach()
# OUT ends in ".gz": the prepared page is written beside it without that ending.
string(REGEX REPLACE "\\.gz$" "" plain "${OUT}")
file(WRITE "${plain}" "${page}")
execute_process(COMMAND gzip -9 -n -f "${plain}" RESULT_VARIABLE failed)
if(NOT failed EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${plain}")
endif()
