# Checks each committed .ts file against the sources: lupdate, run on a copy
# with the options of the target update_translations, must leave it as it
# is (no text added, none removed), and no text may be unfinished. On a
# failure it names the texts and says how to bring the files up to date.
#
#   cmake -DLUPDATE=... -DSOURCES_LIST=... -DOPTIONS=... -DTS_FILES=... -DWORK_DIR=... -P check-translations.cmake

# The source texts of the messages of a .ts file's text that are unfinished.
function(unfinished_sources ts_text out)
  string(REGEX MATCHALL "<source>[^<]*</source>(\n[ ]*<comment>[^<]*</comment>)?\n[ ]*<translation type=\"unfinished\""
         found "${ts_text}")
  set(sources)
  foreach(entry IN LISTS found)
    string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" source "${entry}")
    list(APPEND sources "  ${source}")
  endforeach()
  set(${out} "${sources}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(problems)
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name "${ts}" NAME)
  set(copy "${WORK_DIR}/${name}")
  file(COPY_FILE "${ts}" "${copy}")
  execute_process(COMMAND "${LUPDATE}" "@${SOURCES_LIST}" ${OPTIONS} -silent -ts "${copy}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    list(APPEND problems "lupdate failed on ${name}:\n${output}")
    continue()
  endif()
  file(READ "${ts}" committed)
  file(READ "${copy}" refreshed)
  unfinished_sources("${refreshed}" untranslated)
  if(untranslated)
    list(JOIN untranslated "\n" text)
    list(APPEND problems "${name}: texts without a translation:\n${text}")
  endif()
  if(NOT committed STREQUAL refreshed)
    execute_process(COMMAND diff -u "${ts}" "${copy}" OUTPUT_VARIABLE difference)
    list(APPEND problems "${name} is not up to date with the sources (lupdate would change it):\n${difference}")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n\n" text)
  message(FATAL_ERROR "${text}\n\nRun 'cmake --build build --target update_translations', translate the "
                      "unfinished texts (Qt Linguist: linguist translations/tarel_mk.ts) and commit the .ts files.")
endif()
