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
  lookup/strokegrid.cpp
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
  dict/textcut.cpp
  practice/fsrs.cpp
  practice/keyroots.cpp
  practice/grading.cpp
  practice/deck.cpp
  practice/drill.cpp
)

# The sources written at build time, into OUT_DIR/core; their names are returned in OUT_VAR.
#   gbktables.cpp: the GBK tables, by tools/mkgbk (iconv runs there, never in a program);
#   keytable.cpp:  the keys and their roots, by tools/mkkeys from resources/wubi86-keys.tsv.
function(tovrin_generated_sources root out_dir out_var)
  add_executable(mkgbk "${root}/tools/mkgbk/main.cpp")
  add_custom_command(OUTPUT "${out_dir}/core/gbktables.cpp"
    COMMAND mkgbk "${out_dir}/core/gbktables.cpp"
    DEPENDS mkgbk
    COMMENT "Writing the GBK tables"
    VERBATIM)
  add_executable(mkkeys "${root}/tools/mkkeys/main.cpp")
  add_custom_command(OUTPUT "${out_dir}/core/keytable.cpp"
    COMMAND mkkeys "${root}/resources/wubi86-keys.tsv" "${out_dir}/core/keytable.cpp"
    DEPENDS mkkeys "${root}/resources/wubi86-keys.tsv"
    COMMENT "Writing the key table"
    VERBATIM)
  set(${out_var} "${out_dir}/core/gbktables.cpp" "${out_dir}/core/keytable.cpp" PARENT_SCOPE)
endfunction()
