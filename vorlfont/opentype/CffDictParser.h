#pragma once

#include "base/Transform4D.h"
#include "vorlfont/opentype/CffOperandStack.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// Base of the CFF parsers: the operand stack they share.
class CffParser
{
public:
    [[nodiscard]] virtual bool Parse(const uint8_t *data, uint64_t length) = 0;

    CffOperandStack operandStack;

protected:
    ~CffParser() = default;
};

// Tokenizer of DICT data, handing every operator with its operands to the subclass.
class CffDictParser : public CffParser
{
public:
    [[nodiscard]] bool Parse(const uint8_t *data, uint64_t length) override;
    [[nodiscard]] virtual bool HandleOperator(uint32_t op, uint32_t escape) = 0;

protected:
    ~CffDictParser() = default;

    const uint8_t *dictData = nullptr;
};

// An offset into the CFF data that a DICT gave; present only when it is inside the data.
struct CffOffset
{
    bool present = false;
    uint64_t offset = 0;
};

// The Top DICT (and each Font DICT of a CID-keyed font).
class CffTopDictParser final : public CffDictParser
{
public:
    explicit CffTopDictParser(const FontBytes &cffData);

    [[nodiscard]] bool HandleOperator(uint32_t op, uint32_t escape) override;

    FontBytes cff;
    CffOffset charStrings;
    CffOffset privateDict;
    uint64_t privateSize = 0;
    int32_t cidCount = 0;
    CffOffset fdArray;
    CffOffset fdSelect;
    bool hasFontMatrix = false;
    Transform4D fontMatrix;  // x' = a x + c y + e, y' = b x + d y + f
};

// A Private DICT: where its Local Subrs INDEX is.
class CffPrivateDictParser final : public CffDictParser
{
public:
    // The Private DICT lies at privateOffset in the CFF data.
    CffPrivateDictParser(const FontBytes &cffData, uint64_t privateOffset) : cff(cffData), privateStart(privateOffset) {}

    [[nodiscard]] bool HandleOperator(uint32_t op, uint32_t escape) override;

    FontBytes cff;
    uint64_t privateStart = 0;
    CffOffset localSubrs;
};

}  // namespace oq
