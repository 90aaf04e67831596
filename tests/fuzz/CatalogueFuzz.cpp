#include "catalogue/ProductCatalogue.h"
#include "catalogue/ProductRecord.h"
#include "fuzz/FuzzCheck.h"
#include "readers/XmlReading.h"

#include <cmath>
#include <cstdint>
#include <set>

// A components document as the server or the offline repository's components.xml gives it.
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& catalogue = ProductCatalogue::getInstance();
    catalogue.dropOfflineComponents();
    catalogue.useComponentsXml (XmlReading::parse (data, size), (size & 1) != 0);
    catalogue.buildFromXml (nullptr);

    std::set<int> ids;

    for (int i = 0; i < catalogue.getNumProducts(); ++i)
    {
        auto* product = catalogue.getProduct (i);
        FUZZ_CHECK (product != nullptr);
        FUZZ_CHECK (std::isfinite (product->getLatestVersion()));
        FUZZ_CHECK (ids.insert (product->getId()).second);
        FUZZ_CHECK (catalogue.findProductById (product->getId()) == product);

        if (i > 0)
            FUZZ_CHECK (catalogue.getProduct (i - 1)->getDisplayOrder() <= product->getDisplayOrder());
    }

    catalogue.dropOnlineComponents();
    catalogue.dropOfflineComponents();
    return 0;
}
