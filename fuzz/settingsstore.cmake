# The settings file parser: any bytes load, and a save followed by a reload gives back the same copy.
corvane_add_fuzz(fuzz_inifile SOURCES fuzz_inifile.cpp LIBS corvane_settings)
# The EchoLink account file the set-up rewrites: hand edits kept, values read back as set.
corvane_add_fuzz(fuzz_account_file SOURCES fuzz_account_file.cpp LIBS corvane_account)
