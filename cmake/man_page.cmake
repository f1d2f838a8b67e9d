# Writes cvn.1 from the command's own help: help2man turns "cvn --help" into the page, and
# each subcommand's --help (the subcommands as "cvn --help" lists them) becomes a section
# of it, so that the page lists every option. Run as:
#   cmake -DCVN=... -DHELP2MAN=... -DOUTPUT=... -P man_page.cmake
execute_process(COMMAND ${CVN} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CVN} --help failed")
endif()
string(REGEX REPLACE ".*\nSubcommands:\n" "" listed "${help}")
string(REGEX MATCHALL "(^|\n)  [a-z]+" names "${listed}")

set(include "[COMMANDS]\n")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  execute_process(COMMAND ${CVN} ${name} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${CVN} ${name} --help failed")
  endif()
  # Shown as it is: backslashes escaped, and no line taken for a request.
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  string(APPEND include ".SS \"cvn ${name}\"\n.nf\n${text}.fi\n")
endforeach()
file(WRITE "${OUTPUT}.include" "${include}")

execute_process(
  COMMAND ${HELP2MAN} --no-info --section 1 --name "compare two versions of a source tree"
          --include "${OUTPUT}.include" --output "${OUTPUT}" ${CVN}
  RESULT_VARIABLE status)
file(REMOVE "${OUTPUT}.include")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed")
endif()
