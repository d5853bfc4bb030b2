#pragma once

// Helpers of the decoration and run text tests: a test document that reads the real symbol runs
// and decorations, and a design parameter setter.

#include "support/DocumentTestKinds.h"

#include "editor/document/MathDesign.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/DesignTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace oq::test {

// The math test document with the real "Sb", "Mk", "Ng", "Sl" and "En".
class DecorationTestDocument : public MathTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        for (const char *name : {"Sb", "Mk", "Ng", "Sl", "En"})
        {
            if (std::strcmp(identifier, name) != 0) continue;
            RegisterDocumentKindsOnce();
            return MakeRegisteredStructure(identifier);
        }
        return MathTestDocument::MakeStructure(identifier);
    }
};

// Reads a one-row group holding the run text; the symbol run named "r", or null after a failure.
inline const SymbolRunNode *ReadRowRun(DecorationTestDocument &document, const std::string &run)
{
    std::string input = "Gr { Bg {} " + run + " }";
    EXPECT_EQ(ResultText(document.ParseAndResolve(input.c_str())), "0") << input;
    return document.Find<SymbolRunNode>("r");
}

// Sets a design parameter by its group's key and its own key.
inline void SetDesignParam(Design *design, uint32_t groupKey, uint32_t key, float value)
{
    int32_t group = FindDesignGroup(groupKey);
    ASSERT_GE(group, 0);
    const DesignGroupTable &table = kDesignGroupTables[group];
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        if (table.rows[i].key != key) continue;
        design->GetGroupSlots(group)[table.rows[i].offset / 4] = value;
        return;
    }
    FAIL() << "no parameter " << key;
}

}  // namespace oq::test
