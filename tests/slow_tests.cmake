# The slow ones among the discovered tests, left out by `ctest -LE slow`.
set_tests_properties(Reports.HeadlessChromiumRendersTheDnaReport PROPERTIES LABELS slow)
