# The settings file parser: any bytes load, and a save followed by a reload gives back the same copy.
corvane_add_fuzz(fuzz_inifile SOURCES fuzz_inifile.cpp LIBS corvane_settings)
