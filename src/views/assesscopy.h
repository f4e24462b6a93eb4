#pragma once

// What the assessment window copies: the rows sismavue-report --assess
// prints as TSV for the same records and choices, header first, a row per
// component, then the set's row; TAB between fields, LF line ends.

#include "views/assessfigures.h"

#include <memory>
#include <span>
#include <string>

std::string assessRowsText(Standard standard, const AssessFigures &figures,
                           std::span<const std::shared_ptr<const AssessFile>> files);
