# The core's sources, listed once: the core library and the fuzz build both read this list.
set(TOVRIN_CORE_SOURCES
  text/gbk.cpp
  dict/recordfile.cpp
  dict/records.cpp
  dict/bisect.cpp
  dict/codelookup.cpp
  dict/strokeindex.cpp
  dict/quwei.cpp
  lookup/lookupstate.cpp
  lookup/lookupstate_picks.cpp
  lookup/lookupstate_pinyin.cpp
  lookup/lookupstate_options.cpp
  settings/setupfile.cpp
  settings/setline.cpp
  lookup/placement.cpp
  settings/chartstate.cpp
  pictures/bitmap.cpp
  promo/trigger.cpp
  session/session.cpp
  session/json.cpp
  dict/wordcode.cpp
  practice/fsrs.cpp
  practice/deck.cpp
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
