#pragma once
// Our VBScript.RegExp component, reached only by late binding (see Com.h).
//
// The instance: "IgnoreCase", "Global", "Multiline" (read, written; false at first), "Pattern"
// (read, written; empty at first), "Execute"(subject) giving a match collection, "Test"(subject)
// and "Replace"(subject, replacement). There is no "Singleline": naming it fails. A pattern the
// dialect rejects (see VbRegex.h) makes "Execute", "Test" and "Replace" fail.
// The match collection: "Count", "Item"(index from 0) giving a match.
// A match: "Value", "FirstIndex" (offset of its first code unit, from 0), "Length", "SubMatches".
// The group collection: "Count", "Item"(index from 0) giving the group's text, or an empty
// variant for a group that took no part in the match.
// "Replace" knows $1..$99, $& (the match), $` (before it), $' (after it) and $$.

#include "platform/vbscript_regexp/Com.h"

namespace velloran::platform {

// The error of a pattern the component cannot read ("Syntax error in regular expression").
inline constexpr HRESULT kRegExpSyntaxError = static_cast<HRESULT>(0x800A1399);
// The error of an index outside a collection ("Invalid procedure call or argument").
inline constexpr HRESULT kInvalidProcedureCall = static_cast<HRESULT>(0x800A0005);

// A new instance; CreateObject calls it for the ProgID "VBScript.RegExp".
DispatchRef CreateRegExpComponent();

}  // namespace velloran::platform
