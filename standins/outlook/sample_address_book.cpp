// The made-up address book the demo starts from. Every name is invented.
// Besides ordinary contacts it holds the awkward cases a client must cope
// with: text outside ASCII (accents, Cyrillic, CJK, a character outside the
// Basic Multilingual Plane), values longer than a record field, an EntryID
// in the long server style, a contact with only a last name, one whose
// properties are all empty text, and a distribution list near the end.
#include <cwctype>
#include <string>

#include "contact_properties.h"
#include "outlook_standin.h"

namespace outlook_standin {
namespace {

struct Person {
  const wchar_t* first;
  const wchar_t* last;
  const wchar_t* company;
  const wchar_t* city;
  const wchar_t* country;
};

constexpr Person kPeople[] = {
    {L"Amelia", L"Thornbury", L"Brackenfield Tools", L"Dunmoor", L"United Kingdom"},
    {L"Bastian", L"Quellmann", L"Oderwerk Logistik", L"Falkenried", L"Germany"},
    {L"Léonie", L"Varnault", L"Atelier Clairbois", L"Saint-Émoire", L"France"},
    {L"Joaquín", L"Ibarrondo", L"Cerámicas del Alba", L"Villanúñez", L"Spain"},
    {L"Søren", L"Halvmark", L"Fjordlys ApS", L"Nørreby", L"Denmark"},
    {L"Åsa", L"Lindqvarn", L"Granhult Trä AB", L"Östervik", L"Sweden"},
    {L"Zoë", L"Pemberly-Ashcombe", L"Ashcombe & Daughters", L"Little Wexham", L"United Kingdom"},
    {L"Святослава", L"Громова", L"Северный Узел", L"Краснолесье", L"Россия"},
    {L"Радомир", L"Белозёров", L"Тихая Гавань", L"Озёрск-на-Вяте", L"Россия"},
    {L"澪", L"霧島", L"青嵐工房", L"風見市", L"日本"},
    {L"嘉怡", L"梁", L"晨星贸易", L"云溪", L"中国"},
    {L"薫", L"𠮷野", L"𠮷野製作所", L"川越野", L"日本"},
    {L"Matteo", L"Ferravecchia", L"Società Olmeda", L"Valcorta", L"Italia"},
    {L"Inês", L"Carvalhosa", L"Tecelagem Rioverde", L"Porto Seixal", L"Portugal"},
    {L"Maarten", L"Vlietstra", L"Dijkhuis & Zn.", L"Oudewater-Zuid", L"Nederland"},
    {L"Ingrid", L"Bjørnstad", L"Havblikk AS", L"Sjøvik", L"Norge"},
    {L"Cornelius", L"Ablewhite", L"Ablewhite Pianos", L"Marrowgate", L"United Kingdom"},
    {L"Dorotea", L"Kwiatkowska-Lind", L"Lindwerk", L"Brzezinowo", L"Polska"},
    {L"Emeric", L"Duvallon", L"Duvallon Frères", L"Montclaret", L"France"},
    {L"Farida", L"Oulmane", L"Safran & Cèdre", L"Ait Merzoug", L"Maroc"},
    {L"Gideon", L"Ransome", L"Ransome Cartography", L"Hollowmere", L"United States"},
    {L"Helka", L"Järvimaa", L"Koivulehto Oy", L"Pohjanranta", L"Suomi"},
    {L"Ignatius", L"Fairweather", L"Fairweather Barometers", L"Castle Ambry", L"United Kingdom"},
    {L"Juniper", L"Okonkwo-Hale", L"Greenline Surveys", L"Port Willard", L"Canada"},
    {L"Kasimir", L"Zellweger", L"Zellweger Uhren", L"Obertal", L"Schweiz"},
    {L"Lucía", L"Montferrán", L"Bodegas Montferrán", L"Aldeaseca", L"España"},
    {L"Mirela", L"Stăncescu", L"Atelierul Verde", L"Pădureni", L"România"},
    {L"Noor", L"Vandermolen", L"Molenwerk", L"Zwaanwijk", L"België"},
    {L"Oskar", L"Prędki", L"Prędki i Syn", L"Wólka Mała", L"Polska"},
};

constexpr wchar_t kLongCompany[] =
    L"Consolidated Amalgamated Widget, Sprocket & Flange Manufacturing Cooperative of Lower Eastfield";
// 140 characters, as server stores make them: longer than a record field.
constexpr wchar_t kServerStyleEntryId[] =
    L"0000000004A29B0EBD92D48F0D862C53B512D8C3D3F2CE696E63544B0AE13196AC5380"
    L"3984F0DF08B4F364667F6FD2430F49EC919FA1A7833B02738CF98D3D6A28CDABED661D";

std::wstring EmailFor(const Person& person) {
  std::wstring local;
  for (const wchar_t* unit = person.last; *unit; ++unit) {
    if (*unit < 0x80 && *unit != L' ' && *unit != L'&') local.push_back(static_cast<wchar_t>(std::towlower(*unit)));
  }
  if (local.empty()) local = L"contact";
  return local + L"@example.invalid";
}

FolderItem ContactOf(const Person& person, std::size_t index) {
  const std::wstring number = std::to_wstring(1000 + index * 37);
  FolderItem item;
  item.contact.Set(L"FirstName", person.first)
      .Set(L"LastName", person.last)
      .Set(L"CompanyName", person.company)
      .Set(L"Email1Address", EmailFor(person))
      .Set(L"MobileTelephoneNumber", L"+99 700 " + number)
      .Set(L"BusinessAddressStreet", std::to_wstring(index + 1) + L" Market Row")
      .Set(L"BusinessAddressCity", person.city)
      .Set(L"BusinessAddressCountry", person.country)
      .Set(L"BusinessTelephoneNumber", L"+99 20 " + number);
  if (index % 3 == 0) {
    item.contact.Set(L"Title", index % 2 ? L"Dr." : L"Ms.")
        .Set(L"HomeAddressStreet", L"Flat " + std::to_wstring(index) + L", Old Mill Lane")
        .Set(L"HomeAddressCity", person.city)
        .Set(L"HomeAddressPostalCode", L"QX" + number)
        .Set(L"HomeTelephoneNumber", L"+99 30 " + number);
  }
  if (index % 5 == 0) {
    item.contact.Set(L"MiddleName", L"Rosalind")
        .Set(L"OtherAddressStreet", L"Post box " + number)
        .Set(L"OtherAddressCity", person.city)
        .Set(L"OtherAddressState", L"Westreach")
        .Set(L"OtherAddressPostalCode", L"PB-" + number)
        .Set(L"OtherAddressCountry", person.country)
        .Set(L"OtherTelephoneNumber", L"+99 40 " + number);
  }
  return item;
}

}  // namespace

std::vector<FolderItem> SampleAddressBook() {
  std::vector<FolderItem> book;
  std::size_t index = 0;
  for (const Person& person : kPeople) book.push_back(ContactOf(person, index++));

  FolderItem longCompany = ContactOf({L"Wilhelmina", L"Oakenshaw", kLongCompany, L"Eastfield", L"Arcadia"}, index++);
  book.push_back(longCompany);

  FolderItem serverStyle = ContactOf({L"Percival", L"Dunstanby", L"Exchange Row Ltd", L"Harbourside", L"Arcadia"}, index++);
  serverStyle.entryId = kServerStyleEntryId;
  book.push_back(serverStyle);

  FolderItem longEmail = ContactOf({L"Quentin", L"Marlowe-Featherstonehaugh", L"Long Addresses Inc", L"Farreach", L"Arcadia"}, index++);
  std::wstring email = L"quentin.";
  while (email.size() < 280) email += L"featherstonehaugh.";
  longEmail.contact.Set(L"Email1Address", email + L"@example.invalid");
  book.push_back(longEmail);

  FolderItem lastNameOnly;
  lastNameOnly.contact.Set(L"LastName", L"Nightingale-Osei");
  book.push_back(lastNameOnly);

  FolderItem allEmpty;
  for (std::wstring_view property : kWritablePropertyNames) allEmpty.contact.Set(property, L"");
  book.push_back(allEmpty);

  FolderItem distributionList;
  distributionList.kind = ItemKind::DistributionList;
  book.push_back(distributionList);

  book.push_back(ContactOf({L"Rosalie", L"Undercliffe", L"Undercliffe Lighthouse Trust", L"Gull Point", L"Arcadia"}, index++));
  book.push_back(ContactOf({L"Tobias", L"Wrenfield", L"Wrenfield Orchards", L"Appleby Cross", L"Arcadia"}, index++));
  return book;
}

}  // namespace outlook_standin
