# bench_peers: our stroke and code look-ups against librime's and ibus-table's on the same keys.
# Built only where librime's headers are (./dev.sh bench installs librime-dev and the tables);
# elsewhere it is left out without a word. Included from bench/CMakeLists.txt.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(RIME QUIET IMPORTED_TARGET rime)
endif()

if(RIME_FOUND)
  # ibus-table's tables: where its pkg-config file says, else beside the wubi-haifeng86.db that
  # the dictionaries are made from.
  pkg_get_variable(TOVRIN_PEERS_IBUS_TABLES ibus-table tabledir)
  if(NOT TOVRIN_PEERS_IBUS_TABLES)
    get_filename_component(TOVRIN_PEERS_IBUS_TABLES "${TOVRIN_HAIFENG_DB}" DIRECTORY)
  endif()

  add_executable(bench_peers "${CMAKE_CURRENT_LIST_DIR}/peers.cpp")
  target_link_libraries(bench_peers PRIVATE tovrin_core tovrin_platform benchmark::benchmark
                        SQLite::SQLite3 PkgConfig::RIME)
  target_compile_definitions(bench_peers PRIVATE
    TOVRIN_BIN_DIR="${TOVRIN_BIN_DIR}"
    TOVRIN_PEERS_RIME_SHARED="${TOVRIN_RIME_DIR}"
    TOVRIN_PEERS_RIME_USER="${CMAKE_CURRENT_BINARY_DIR}/rime"
    TOVRIN_PEERS_IBUS_TABLES="${TOVRIN_PEERS_IBUS_TABLES}")
  add_dependencies(bench_peers dictionaries)

  # librime is no sanitized library: its smoke run is the default build's.
  if(BUILD_TESTING AND NOT TOVRIN_SANITIZE)
    set(peers_figures "rime_stroke_over_ours ibus_stroke_over_ours rime_stroke_p99_over_ours \
ibus_stroke_p99_over_ours rime_code_over_ours ibus_code_over_ours rime_code_p99_over_ours \
ibus_code_p99_over_ours stroke_cases code_cases rime_stroke_found_disagreements \
ibus_stroke_found_disagreements rime_code_found_disagreements ibus_code_found_disagreements")
    # Its own rime folder: the full benchmark's (bench/rime) may be in use beside it.
    add_test(NAME bench_peers_smoke
      COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/check_figures.sh" "${peers_figures}"
              $<TARGET_FILE:bench_peers> --smoke
              "--rime-user=${CMAKE_CURRENT_BINARY_DIR}/rime-smoke")
  endif()
endif()
