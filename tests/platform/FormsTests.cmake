# The forms toolkit's tests, on every forms backend of the build; included from tests/.
quillo_add_test(forms_tests platform/FormsTest.cpp LIBS quillo_platform quillo_resources)
if(WIN32)
  quillo_add_test(forms_win32_tests platform/FormsWin32Test.cpp LIBS quillo_platform)
endif()
quillo_add_test(options_dialog_tests settings/frmOptionsTest.cpp LIBS Quillo)
