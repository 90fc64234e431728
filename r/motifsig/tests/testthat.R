library(testthat)
library(motifsig)

test_check("motifsig")
