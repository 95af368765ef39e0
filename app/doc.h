// The document of the single-document shell: it holds nothing, so it is never modified and
// closing never asks to save it.
#pragma once

class CRenovoDoc {
public:
    bool OnNewDocument() { return true; }
    bool IsModified() const { return false; }
};
