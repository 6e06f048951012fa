# The settings store: the INI file format, value forms and safe saving.
corvane_add_test(SUITE units NAME TestIniFile SOURCES unit/TestIniFile.cpp LIBS corvane_settings)
