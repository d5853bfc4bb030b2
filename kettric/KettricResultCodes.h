#pragma once

#include <cstdint>

namespace oq {

// Result codes of the Kettric parser and of the document readers' resolve step
// (docs/result-codes.md). 0 is success.

// The language: literals and tokens.
inline constexpr uint32_t kResultSyntax = 'SYNT';                // malformed integer, body without braces, trailing text
inline constexpr uint32_t kResultIdentifierInvalid = 'IDIC';     // identifier starts with a digit or holds a bad byte
inline constexpr uint32_t kResultIdentifierMissing = 'IDEM';     // a separator where an identifier is expected
inline constexpr uint32_t kResultTypeInvalid = 'TYIV';           // not a type keyword
inline constexpr uint32_t kResultBoolInvalid = 'BLIV';           // not a bool literal
inline constexpr uint32_t kResultIntegerOverflow = 'INOV';       // integer outside its type, or a too long character literal
inline constexpr uint32_t kResultFloatInvalid = 'FLIV';          // malformed floating-point literal
inline constexpr uint32_t kResultFloatOverflow = 'FLOV';         // bit pattern wider than the float or half
inline constexpr uint32_t kResultStringInvalid = 'STIV';         // string without its opening or closing quote
inline constexpr uint32_t kResultStringInvalidByte = 'STIC';     // control byte, 0x7F or bad UTF-8 in a string
inline constexpr uint32_t kResultStringInvalidEscape = 'STIE';   // bad escape in a string
inline constexpr uint32_t kResultCharInvalidByte = 'CHIC';       // byte outside 0x20..0x7E in a character literal
inline constexpr uint32_t kResultCharInvalidEscape = 'CHIE';     // bad escape in a character literal
inline constexpr uint32_t kResultCharUnterminated = 'CHEF';      // character literal without its closing quote
inline constexpr uint32_t kResultReferenceInvalid = 'RFIV';      // reference neither "null" nor a prefixed name
inline constexpr uint32_t kResultBase64Invalid = 'BSIV';         // bad base64 length or padding

// The language: properties, data lists and structures.
inline constexpr uint32_t kResultPropertyType = 'PPIT';          // a property type the parser cannot read
inline constexpr uint32_t kResultPropertySyntax = 'PPSE';        // no "=", unreadable unknown value or no ")"
inline constexpr uint32_t kResultArraySize = 'PMAS';             // array size negative, 0 or above 256
inline constexpr uint32_t kResultArraySizeSyntax = 'PMSE';       // array size not followed by "]"
inline constexpr uint32_t kResultSubarrayFormat = 'PMIF';        // subarray not opened by "{" or not closed by "}"
inline constexpr uint32_t kResultSubarrayOversize = 'PMOS';      // subarray longer than the array size
inline constexpr uint32_t kResultSubarrayUndersize = 'PMUS';     // subarray shorter than the array size
inline constexpr uint32_t kResultStateName = 'PMST';             // state identifier refused by the holder
inline constexpr uint32_t kResultStructureNameExists = 'STNE';   // structure name already in its name map
inline constexpr uint32_t kResultInvalidStructure = 'IVST';      // structure not allowed where it stands

// The document readers' resolve step.
inline constexpr uint32_t kResultMissingSubstructure = 'MSSB';   // a required substructure is missing
inline constexpr uint32_t kResultExtraSubstructure = 'EXSB';     // more substructures than allowed
inline constexpr uint32_t kResultInvalidDataFormat = 'IVDF';     // a data list of the wrong type or size
inline constexpr uint32_t kResultInvalidPropertyValue = 'IVPV';  // a property value outside what the kind takes
inline constexpr uint32_t kResultBadReference = 'BREF';          // a reference that names no fitting structure

// The structure kinds' names of the substructure codes (their substructures are slot groups).
inline constexpr uint32_t kResultMissingSlotGroup = kResultMissingSubstructure;
inline constexpr uint32_t kResultExtraSlotGroup = kResultExtraSubstructure;

// The codes the language itself produces, once each.
inline constexpr uint32_t kKettricLanguageResultCodes[] = {
    kResultSyntax, kResultIdentifierInvalid, kResultIdentifierMissing, kResultTypeInvalid, kResultBoolInvalid,
    kResultIntegerOverflow, kResultFloatInvalid, kResultFloatOverflow, kResultStringInvalid,
    kResultStringInvalidByte, kResultStringInvalidEscape, kResultCharInvalidByte, kResultCharInvalidEscape,
    kResultCharUnterminated, kResultReferenceInvalid, kResultBase64Invalid, kResultPropertyType,
    kResultPropertySyntax, kResultArraySize, kResultArraySizeSyntax, kResultSubarrayFormat,
    kResultSubarrayOversize, kResultSubarrayUndersize, kResultStateName, kResultStructureNameExists,
    kResultInvalidStructure,
};

// The codes of the readers' resolve step, once each.
inline constexpr uint32_t kKettricResolveResultCodes[] = {
    kResultMissingSubstructure, kResultExtraSubstructure, kResultInvalidDataFormat, kResultInvalidPropertyValue,
    kResultBadReference,
};

}  // namespace oq
