# Lays out the installation's empty notes database, once: a file that exists holds
# someone's notes and is never replaced. The second index holds the plain texts, so that a
# keyword search reads them without the rich-text column in the way.
if(NOT EXISTS "${DB}")
  get_filename_component(dir "${DB}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  execute_process(
    COMMAND "${SQLITE3}" "${DB}.tmp"
      "CREATE TABLE tb_NewTavi (YearMonthStr VARCHAR(8), Content BLOB, ContentBak TEXT); CREATE INDEX ix_tb_NewTavi_YearMonthStr ON tb_NewTavi (YearMonthStr); CREATE INDEX ix_tb_NewTavi_Search ON tb_NewTavi (YearMonthStr, ContentBak);"
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not create ${DB}")
  endif()
  file(RENAME "${DB}.tmp" "${DB}")
endif()
