// Groups nested to the Kettric depth limit parse, resolve, write and are destroyed within the main
// thread's stack and within the 4 MB stack that a Kettric-parsing thread gets.
#include "AmbrelTestSupport.h"

#include <pthread.h>

namespace oq {
namespace {

// Groups around a Path whose Fill's colour list stands at the given depth.
std::string NestedGroups(int32_t depth)
{
    std::string text;
    for (int32_t i = 4; i < depth; ++i) text += "Group {Translation {float[2] {{1, 0}}}\n";
    text += "Path {Fill {Color {float[3] {{1, 0, 0}}}} float[2]* {M{0, 0}, L{1, 0}, {1, 1}}}";
    text.append(size_t(depth - 4), '}');
    return text;
}

struct NestingRun
{
    std::string text;
    KettricResult result = 1;
    size_t writtenLength = 0;
    float lastX = 0.0f;
};

void *RunNesting(void *argument)
{
    auto *run = static_cast<NestingRun *>(argument);
    auto *document = new AmbrelDocument;
    run->result = document->ParseAndResolve(run->text.c_str());
    if (run->result == 0)
    {
        std::string written = test::WriteDocumentText(document);
        run->writtenLength = written.size();
        KettricStructure *root = document->GetRootStructure();
        for (TreeBase *n = root->GetNextTreeNode(root); n != nullptr; n = root->GetNextTreeNode(n))
        {
            auto *structure = static_cast<KettricStructure *>(n);
            if (structure->GetStructureType() == 'path')
                run->lastX = static_cast<PathStructure *>(structure)->curves[0].p0.x;
        }
    }
    delete document;
    return nullptr;
}

TEST(AmbrelNestingTest, DeepestGroupsFitMainAndWorkerStacks)
{
    const int32_t depth = kKettricMaxNestingDepth;
    NestingRun onMain;
    onMain.text = NestedGroups(depth);
    RunNesting(&onMain);
    ASSERT_EQ(onMain.result, 0u);
    EXPECT_EQ(onMain.lastX, float(depth - 4));
    EXPECT_GT(onMain.writtenLength, size_t(depth) * size_t(depth));

    NestingRun onWorker;
    onWorker.text = onMain.text;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 4u << 20);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, RunNesting, &onWorker), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(onWorker.result, 0u);
    EXPECT_EQ(onWorker.writtenLength, onMain.writtenLength);
    EXPECT_EQ(onWorker.lastX, onMain.lastX);

    // One level more is refused.
    AmbrelDocument deeper;
    EXPECT_EQ(deeper.ParseAndResolve(NestedGroups(depth + 1).c_str()), uint32_t(kResultSyntax));
}

}  // namespace
}  // namespace oq
