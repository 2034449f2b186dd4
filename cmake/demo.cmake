# The demo, run by the demo target: checks a copy of a real CJK font with quenlo-check, runs the
# fix it prints as printed, and checks again; print_avg_width reads the field before and after
# with the tests' own reader.
#   cmake -DQUENLO_CHECK=... -DPRINT=... -DSOURCE=font -DFONT=copy -P demo.cmake
file(COPY_FILE ${SOURCE} ${FONT})

function(run)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out RESULT_VARIABLE status)
  list(JOIN ARGN " " command)
  message("$ ${command}\n${out}(exit status ${status})\n")
  set(out "${out}" PARENT_SCOPE)
endfunction()

run(${PRINT} ${FONT})
run(${QUENLO_CHECK} ${FONT})
if(NOT out MATCHES "  fix: ([^\n]+)")
  message(FATAL_ERROR "quenlo-check printed no fix")
endif()
# The fix, run as printed, as if pasted into a shell.
run(sh -c ${CMAKE_MATCH_1})
run(${QUENLO_CHECK} ${FONT})
if(NOT out MATCHES " ok: ")
  message(FATAL_ERROR "the font is not ok after the fix")
endif()
run(${PRINT} ${FONT})
