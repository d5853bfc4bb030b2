#pragma once

namespace oq {

// What a symbol run asks of its decorations ('mark', 'nega', 'slsh', 'encl') beyond their kind and
// measured box: whether a mark goes under the run, and whether an enclosure is a circle.
class RunDecoration
{
public:
    virtual bool IsUnderMark() const = 0;
    virtual bool IsCircleEnclosure() const = 0;

protected:
    ~RunDecoration() = default;
};

// A structure that may carry pre-scripts (the scripts kind): the spacing of function names and
// chemical elements looks through it when it does.
class PreScriptCarrier
{
public:
    virtual bool HasPreScripts() const = 0;

protected:
    ~PreScriptCarrier() = default;
};

}  // namespace oq
