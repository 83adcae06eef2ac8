#pragma once

#include <map>
#include <optional>
#include <string>

namespace sealwing::sim {

// What Office reads of an add-in's custom-UI XML when a control is clicked: the attributes of the element whose
// `id` attribute is the control's id. A small scanner, not an XML parser: it walks the start tags (and empty-element
// tags) in order, skipping comments, CDATA sections, processing instructions, declarations and end tags, and reads
// each tag's attributes (name="value" or name='value', spaces around '=' allowed). In values it decodes the five
// predefined entities and character references (&#N; &#xN;); any other reference stays as written. Names keep their
// prefixes as written ("x:id" is not "id"). A tag it cannot read ends the scan: nothing is found past it.
std::optional<std::map<std::wstring, std::wstring>> RibbonElementWithId(const std::wstring& xml,
                                                                        const std::wstring& id);

}  // namespace sealwing::sim
