#include "sim/RibbonXml.h"

#include <gtest/gtest.h>

#include <string>

namespace sealwing::sim {
namespace {

// The onAction of the element with that id; "<none>" when no element has it, "<no onAction>" when it has none.
std::wstring OnAction(const std::wstring& xml, const std::wstring& id) {
    const auto element = RibbonElementWithId(xml, id);
    if (!element) return L"<none>";
    const auto found = element->find(L"onAction");
    return found == element->end() ? L"<no onAction>" : found->second;
}

TEST(RibbonXml, FindsTheElementByItsIdAttributeOnly) {
    const struct {
        const wchar_t* xml;
        const wchar_t* id;
        const wchar_t* onAction;
    } cases[] = {
        {L"<a><button id=\"b\" onAction=\"Go\"/></a>", L"b", L"Go"},
        {L"<button  id = 'b'\n\tonAction='Go' >", L"b", L"Go"},
        {L"<?xml version=\"1.0\"?><button id=\"b\" onAction=\"Go\"></button>", L"b", L"Go"},
        {L"<group id=\"b\"><button id=\"c\" onAction=\"Go\"/></group>", L"b", L"<no onAction>"},
        {L"<button idMso=\"b\" onAction=\"Go\"/>", L"b", L"<none>"},
        {L"<button x:id=\"b\" onAction=\"Go\"/>", L"b", L"<none>"},
        {L"<button id=\"B\" onAction=\"Go\"/>", L"b", L"<none>"},
        {L"<!-- <button id=\"b\" onAction=\"Commented\"/> --><button id=\"b\" onAction=\"Go\"/>", L"b", L"Go"},
        {L"<![CDATA[<button id=\"b\" onAction=\"Data\"/>]]><button id=\"b\" onAction=\"Go\"/>", L"b", L"Go"},
        {L"<button label=\"a > b\" id=\"b\" onAction=\"Go\"/>", L"b", L"Go"},
        {L"<button id=\"a&amp;b\" onAction=\"&lt;&#65;&#x42;&unknown;&quot;\"/>", L"a&b", L"<AB&unknown;\""},
        {L"<button id=\"first\" onAction=\"One\"/><button id=\"first\" onAction=\"Two\"/>", L"first", L"One"},
    };
    for (const auto& c : cases) EXPECT_EQ(OnAction(c.xml, c.id), c.onAction) << c.xml;
}

TEST(RibbonXml, ATagItCannotReadEndsTheScan) {
    const wchar_t* broken[] = {
        L"<button id=b onAction=\"Go\"/><button id=\"b\" onAction=\"Go\"/>",
        L"<button id=\"b onAction=\"Go\"/>",
        L"<button id=\"x\" / ><button id=\"b\" onAction=\"Go\"/>",
        L"<!-- never closed <button id=\"b\" onAction=\"Go\"/>",
        L"<button id=\"b\" onAction=\"Go\"",
    };
    for (const wchar_t* xml : broken) EXPECT_EQ(OnAction(xml, L"b"), L"<none>") << xml;
}

}  // namespace
}  // namespace sealwing::sim
