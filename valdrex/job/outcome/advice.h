// What a teacher can do about a problem or a finding, as a code: the library cannot word it,
// because the way to do it is the front end's (a subcommand and its options, a menu entry, a
// function of the C interface). Each front end words every code; the text of a problem or a
// finding stops where its advice begins, and the advice's words continue it.
#pragma once

namespace valdrex {

enum class Advice {
  none,
  nameScoreSheet,    // the named score sheet is missing: name the right one
  addScoreSheet,     // no score sheet: add one, or start from a template
  addPropertySheet,  // no "属性表": add one, as in a template
  reportSheetAdded,  // a report sheet is missing: the run adds it at the end
  listClasses,       // "属性表" lists no class: let the program list them
  reorderClasses,    // "属性表" lists the classes otherwise: let the program reorder them
  checkFirst,        // the score sheet stops the loading: look at the check's findings
  strictRefused,     // warnings refuse the result in the strict mode: mend them or leave it
  resultIsInput,     // the result would be the input: another name, or rewrite in place
  replaceExisting,   // a new workbook would replace a file: another name, or replace it
  closeOrForce,      // a lock file: close the program, or write anyway
  fixOptions,        // the options of a made workbook cannot be used: see the usage
};

}  // namespace valdrex
