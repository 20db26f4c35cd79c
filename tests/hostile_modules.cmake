# The hostile modules: plug-ins with one defect each, built from one source (loader/fake_module.cpp,
# which the defect's name selects), and what each part of the host is to make of each. One row a
# module; a new defect is a row here and its case in fake_module.cpp.
#
#   module | the loader | check | the program: status | standard error | arguments
#
# The loader (loader/hostile_module_test.cpp, in-process): "refused: TEXT", the refusal names the
#   file and says TEXT; "loads", it loads, unloads without a word and leaves none of its hooks,
#   timers or code behind; "unload says: TEXT", the same but the unload reports TEXT; nothing, the
#   test leaves it alone (it crashes or hangs the process that loads it, stays mapped, or leaks memory on
#   purpose, which the sanitizer build's leak check would report).
# check (check/): UNIT=VERDICT,... of the checks named for its defect; only those run, unless the
#   column starts with "every check:", which runs every check, to show that a run reaches its
#   summary after a crash and a hang. A module that is merely unusual, which the SDK's headers
#   allow, asserts PASS or WARN: the run then succeeds, and a WARN fails it under --strict.
# The program (cli/): run with ARGUMENTS in both thread arrangements ("run" runs cli/scripts/hostile),
#   its exit status, and standard error matching the regular expression (none: the script runs to
#   its end); the settings file stays as it was.
if(WIN32)
  # Windows names frames by module and offset, and has no trial of a module in a child process: its
  # own opening of a module whose set-up hangs is what the watch over hangs reports.
  set(crash_report "the plug-in FakePlugin crashed in its hook: exception 0xc0000005 at address 0x0+\n.*crashing_hook.dll")
  set(static_set_up_hang_status 4)
  set(static_set_up_hang "did not return from its static set-up within 1 s")
else()
  # Function names always; file and line only where the module carries debugging information.
  set(crash_report "the plug-in FakePlugin crashed in its hook: SIGSEGV .* at address 0x0+\n.*FakePlugin::onLoad.*\\(crashing_hook.so\\)")
  set(static_set_up_hang_status 1)
  set(static_set_up_hang "its static set-up did not finish within 1 s")
endif()
# No allocator on Windows or in a sanitizer build says what is in use (memory-per-event is a SKIP
# there), and Windows has no unique symbols: those rows assert nothing of check there.
set(leaking_touch_check "")
set(unique_symbol_check "")
if(NOT WIN32)
  set(unique_symbol_check "load-unload-cycles/one=FAIL,load-unload-cycles/separate=FAIL")
  if(NOT QUORVEL_SANITIZERS)
    set(leaking_touch_check "memory-per-event/one=FAIL,memory-per-event/separate=FAIL")
  endif()
endif()
if(QUORVEL_SANITIZERS MATCHES "thread")
  # A race shows only sometimes, and ThreadSanitizer reports it every time.
  set(shared_container_check "threads=FAIL")
else()
  set(shared_container_check "")
endif()
set(HOSTILE_MODULES
  "no_record              | refused: exports no 'exports'"
  "no_factory             | refused: exports no 'getPlugin'"
  "no_release             | refused: exports no 'deleteMe'"
  "no_class_name          | refused: has no class name | module-file=FAIL"
  "empty_factory          | refused: could not be created"
  "throwing_load          | refused: onLoad threw: no settings for you"
  "foreign_factory        | refused: create function"
  "throwing_factory       | refused: its getPlugin threw: out of plug-ins"
  "throwing_static_init   | refused: its static set-up threw"
  "throwing_release       | unload says: the plug-in's deleteMe threw: not letting go"
  "late_registrations     | loads | unload-with-pending/one=FAIL,unload-with-pending/separate=FAIL"
  "messy_throwing_load    | refused: its onLoad threw: half set up"
  "own_unload             | loads | reload-keeps-values/one=FAIL"
  "dropped_game_handle    | loads"
  "long_static_init_throw |"
  "crashing_load          | | | 3 | the plug-in FakePlugin crashed in its onLoad: SIGABRT.*exits with status 3 | run"
  "throwing_panel         | loads | exceptions/one=FAIL | 1 | the plug-in FakePlugin's DrawSettingsPanel threw: no panel today | panel --png @HOME@/panel.png"
  "throwing_display_name  | loads | | 1 | the plug-in FakePlugin's GetDisplayName threw: nameless | panel --png @HOME@/panel.png"
  "crashing_hook          | loads | every check: exceptions/one=CRASH | 3 | ${crash_report} | run"
  "hanging_load           | | every check: load/one=TIMEOUT | 4 | the plug-in FakePlugin did not return from its onLoad within 1 s.*exits with status 4 | --plugin-timeout 1 run"
  "rearming_timer         | loads | | 0 | | run"
  "hanging_static_init    | | | ${static_set_up_hang_status} | ${static_set_up_hang} | --plugin-timeout 1 run"
  "throwing_hook          | loads | exceptions/separate=FAIL | 1 | hostile:4: error: FakePlugin: hook for .Function TAGame.Ball_TA.OnCarTouch. threw: touched the wrong way | run"
  "leaking_handle         |       | load-unload-cycles/one=FAIL,load-unload-cycles/separate=FAIL"
  "unbalanced_panel       | loads | panel/one=FAIL,panel/separate=FAIL"
  "other_object_each_time | loads | load/one=FAIL"
  "unprintable_variable   | loads | variables=FAIL"
  "infinite_velocity      | loads | settings-under-attack/one=FAIL"
  "foreign_thread         | loads | threads=PASS"
  "nondeterministic       | loads | determinism/one=WARN,determinism/separate=WARN"
  "foreign_thread_log     | loads | threads=PASS,determinism/one=PASS,determinism/separate=PASS"
  "unusual_widgets        | loads | panel/one=PASS,panel/separate=PASS"
  "setting_unbalanced_panel | loads | panel/one=FAIL,panel/separate=FAIL"
  "slow_load              | loads | load-unload-cycles/one=PASS,load/one=PASS"
  "rounding_setting       | loads | settings-round-trip=FAIL"
  "leaking_touch          |       | ${leaking_touch_check}"
  "unique_symbol          |       | ${unique_symbol_check}"
  "shared_container       | loads | ${shared_container_check}")
if(NOT WIN32)
  # What a plug-in does to the process it shares with the host. (Windows has no fork and no
  # supervising process: it reports in the host's own, host/faults/fault_reports_win32.cpp.) The
  # modules that change the process and go on are compared with `plain` in cli/. The locale
  # module's comma needs a locale with one, which cli/ makes (the fixture german_locale) here:
  set(test_locales ${CMAKE_BINARY_DIR}/tests/locales)
  list(APPEND HOSTILE_MODULES
    "exiting_load           | | process-state=CRASH | 3 | the plug-in FakePlugin ended the host in its onLoad: exit\\(0\\)\nquorvel-host: exits with status 3 | run"
    "forking_load           | | process-state=FAIL | 0 | ^[^\n]*\n?quorvel-host: the plug-in FakePlugin forked in its onLoad, and the forked process came back into the host: it ends here | run"
    "locale_load            | | process-state=FAIL | 0 | onLoad changed the C\\+\\+ global locale.*onLoad changed its thread's locale | run"
    "rounding_load          | | process-state=FAIL | 0 | onLoad changed the floating-point environment \\(MXCSR 0xdfc0, x87 control word 0x0b7f\\) | run"
    "default_fatal_signals  | | process-state=CRASH | 3 | onLoad changed the handling of SIGSEGV. the host put its own back.*the plug-in FakePlugin ended the host in its hook: SIGSEGV | run"
    "sigpipe_default        | | process-state=FAIL | 0 | onLoad changed the handling of SIGPIPE | run"
    "raising_hook           | | process-state=FAIL | 143 | | run"
    "interrupting_thread    | | process-state=FAIL | 130 | | run"
    "chdir_load             | | process-state=FAIL | 0 | onLoad changed the working directory | run"
    "thread_after_unload    | | load/one=CRASH,load/separate=CRASH | 3 | the plug-in FakePlugin crashed outside any call from the host, in code of its module after the module was unloaded: SIGSEGV.*exits with status 3 \\(a plug-in crashed\\) | run"
    "ending_panel           | | panel/one=FAIL,panel/separate=FAIL | 1 | DrawSettingsPanel left Dear ImGui's stacks unbalanced: the host's window ended by the panel | panel --png @HOME@/panel.png"
    "releasing_hook         | | load-unload-cycles/one=FAIL,load-unload-cycles/separate=FAIL | 1 | hostile:4: error: FakePlugin: hook for .Function TAGame.Ball_TA.OnCarTouch. called deleteMe: the plug-in released itself | run"
    "many_variables         | | | 0 | | run"
    "huge_log_lines         | | | 0 | | run"
    "huge_variable_name     | | | 0 | the variable \"n+\\.\\.\\. \\(2097152 bytes\\)\" is left out of the saved settings: its line would make the file larger than 1 MiB | run"
    "plain                  |")
endif()

# hostile_module_row(ROW): the row's columns as hostile_module, hostile_loader, hostile_check,
# hostile_status, hostile_stderr and hostile_arguments (a list), in the caller's scope.
function(hostile_module_row row)
  string(REPLACE "|" ";" columns "${row}")
  foreach(name module loader check status stderr arguments)
    set(value "")
    list(LENGTH columns count)
    if(count GREATER 0)
      list(POP_FRONT columns value)
    endif()
    string(STRIP "${value}" value)
    if(name STREQUAL "arguments")
      separate_arguments(value UNIX_COMMAND "${value}")
    endif()
    set(hostile_${name} "${value}" PARENT_SCOPE)
  endforeach()
endfunction()
