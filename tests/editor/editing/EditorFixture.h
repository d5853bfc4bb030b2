#pragma once

// The fixture of the editing tests: a fresh TheEditor for every test, checked against the
// invariants at its end.

#include "EditorHarness.h"

#include <gtest/gtest.h>

namespace oq::test {

class EditorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetTheEditor();
        editor = TheEditor;
    }

    void TearDown() override
    {
        EXPECT_EQ(CheckEditorInvariants(TheEditor), "");
        DestroyTheEditor();
    }

    // Runs script lines on the editor and expects no findings.
    void Run(const std::string &script)
    {
        EXPECT_EQ(RunEditorScript(script), "") << script;
        editor = TheEditor;
    }

    Editor *editor = nullptr;
};

}  // namespace oq::test
