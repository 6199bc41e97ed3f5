#include "oci_test_support.h"
