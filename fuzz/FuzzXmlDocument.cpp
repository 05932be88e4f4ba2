// The XML reader on any text: it must end in true or false, never crash, hang or read astray.
#include "FuzzInput.h"
#include "feeds/XmlDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CXmlDocument document;
    document.Parse(FuzzText(data, size));
    if (const CXmlNode* root = document.Root())
        CXmlDocument::InnerXml(root);
    return 0;
}
