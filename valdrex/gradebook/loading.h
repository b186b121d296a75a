// Loading the class list, the students' scaled scores and the property sheet's settings.
#pragma once

#include <cstdint>

#include "valdrex/gradebook/grade_book.h"
#include "valdrex/gradebook/rounding.h"
#include "valdrex/host/ui.h"
#include "valdrex/host/worksheet.h"

namespace valdrex {

// Builds classNames, classSizes and classCount. Stops at the first failure with the limits message.
void loadClasses(GradeBook& g, host::Worksheet& sh, host::Ui& ui);

// loadClasses(scoreSheet), then lists the class names in column 1 of propertySheet from row 18
// and clears the names left below them. Skips failing steps; returns classCount.
int16_t countClasses(GradeBook& g, host::Worksheet& scoreSheet, host::Worksheet& propertySheet,
                     host::Ui& ui);

// Loads every student's texts and scaled scores from scoreSheet and the settings of the property
// sheet. A missing property sheet (nullptr) is a failure like any other: the load stops at the
// first failure with the limits message. Every score's rounding goes to trace.
void loadScores(GradeBook& g, host::Worksheet& scoreSheet, host::Worksheet* propertySheet,
                host::Ui& ui, const RoundingTrace& trace = {});

// Each student's total of the scores present, exact to the tenth; a student without any score
// gets no total (kAbsent). Skips entries outside the tables.
void sumTotals(GradeBook& g);

}  // namespace valdrex
