// The skin markup reader on arbitrary bytes, in each encoding: a load either fails with a
// message or gives a tree whose every node, attribute and text can be walked.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "windowless/Markup.h"

using namespace WinlessUI;

namespace {
void Walk(CMarkupNode node, int depth) {
    for (; node.IsValid(); node = node.GetSibling()) {
        if (node.GetName() == nullptr || node.GetValue() == nullptr) std::abort();
        int n = node.GetAttributeCount();
        if (n < 0 || n > CMarkupNode::MAX_XML_ATTRIBUTES) std::abort();
        for (int i = 0; i < n; ++i) {
            volatile size_t len = strlen(node.GetAttributeName(i)) + strlen(node.GetAttributeValue(i));
            (void)len;
        }
        if (depth < 300) Walk(node.GetChild(), depth + 1);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int encoding = 0; encoding < 3; ++encoding) {
        CMarkup m;
        if (m.LoadFromMem(data, size, encoding)) {
            Walk(m.GetRoot(), 0);
        } else if (m.GetLastErrorMessage()[0] == '\0' || m.GetRoot().IsValid()) {
            std::abort();
        }
    }
    return 0;
}
