# The core's sources, listed once: the core library and the fuzz build both read this list.
set(TOVRIN_CORE_SOURCES
  gbk.cpp
  recordfile.cpp
  records.cpp
  bisect.cpp
  codelookup.cpp
  strokeindex.cpp
  quwei.cpp
  lookupstate.cpp
  lookupstate_picks.cpp
  lookupstate_pinyin.cpp
  lookupstate_options.cpp
  setupfile.cpp
  setline.cpp
  placement.cpp
  chartstate.cpp
  bitmap.cpp
  trigger.cpp
  session.cpp
  json.cpp
  wordcode.cpp
)

# The GBK tables: tools/mkgbk writes them at build time (iconv runs there, never in a program),
# into OUT_DIR/core/gbktables.cpp, whose name is returned in OUT_VAR.
function(tovrin_gbk_tables root out_dir out_var)
  add_executable(mkgbk "${root}/tools/mkgbk/main.cpp")
  add_custom_command(OUTPUT "${out_dir}/core/gbktables.cpp"
    COMMAND mkgbk "${out_dir}/core/gbktables.cpp"
    DEPENDS mkgbk
    COMMENT "Writing the GBK tables"
    VERBATIM)
  set(${out_var} "${out_dir}/core/gbktables.cpp" PARENT_SCOPE)
endfunction()
