#include "get_pam_entry.h"

GetPamFunction FindGetPam() { return &GetPAM; }
