// Every text of the ten languages, exactly as stored: one table, one row per
// language, one column per offset.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "language.h"
#include "resource.h"

namespace quillmere::testing {
namespace {

constexpr std::array<int, 17> kOffsets = {
    IDS_LAST_NAME, IDS_FIRST_NAME,  IDS_COMPANY, IDS_OK,     IDS_CANCEL,        IDS_SELECT_EXPORT_FILE,
    IDS_SELECT_IMPORT_FILE,         IDS_EXIT,    IDS_PRODUCT_NAME, IDS_EXPORT_ALL, IDS_SELECTED_ONLY, IDS_EXPORT,
    IDS_IMPORT, IDS_IMPORT_FAILED,  IDS_IMPORT_DONE, IDS_EXPORTED_TO, IDS_EXPORT_FAILED};

struct LanguageTexts {
  int base;
  const char* language;
  std::array<const wchar_t*, 17> texts;  // in the order of kOffsets
};

const LanguageTexts kLanguages[] = {
    {0, "English",
     {L"LastName", L"FirstName", L"Company", L"Ok", L"Cancel", L"Select export file", L"Select import file", L"Exit",
      L"Quillmere", L"Export all", L"Selected only", L"Export", L"Import", L"Failed to import contacts.",
      L"Import contacts successfully", L"Exported contacts to", L"Failed to export contacts."}},
    {1000, "Italian",
     {L"Cognome", L"Nome", L"Società", L"OK", L"Annulla", L"Seleziona file da esportare",
      L"Seleziona file da importare", L"Uscita", L"Quillmere", L"Esporta tutto", L"Solo selezionato", L"Esporta",
      L"Importa", L"Errore nell'importare i contatti.", L"Contatti importati con successo",
      L"Esport mett in contatto con", L"Impossibile esportare I contatti."}},
    {2000, "French",
     {L"Nom de famille", L"Prénom", L"Entreprise", L"Ok", L"Annuler", L"Sélectionner fichier à exporter ",
      L"Sélectionner fichier à importer", L"Quitter", L"Quillmere", L"Exporter tout", L"Sélectionné seul",
      L"Exporter", L"Importer", L"Echoue à importer les contacts.", L"Réussi à importer les contacts",
      L"Contacts d'exportation à", L"Echoue à exporter les contacts."}},
    {3000, "Spanish",
     {L"Apellido", L"Nombre", L"Compañía", L"Ok", L"Cancelar", L"Seleccionar archivo a exportar",
      L"Seleccionar archivo a importar", L"Salir", L"Quillmere", L"Exportar todos", L"Sólo los Seleccionados",
      L"Exportar todos", L"Importar", L"La importación de contactos ha fallado.",
      L"La Importación de contactos  se ha realizado con éxito", L"Contactos de la exportación a",
      L"La exportación de contactos ha fallado."}},
    {4000, "German",
     {L"Nachname", L"Vorname", L"Unternehmen", L"Ok", L"Abbrechen", L"Exportdatei wählen", L"Importdatei wählen",
      L"Beenden", L"Quillmere", L"Alles exportieren", L"Nur Ausgewähltes", L"Exportieren", L"Importieren",
      L"Kontakte importieren fehlgeschlagen", L"Kontakte erfolgreich importiert", L"Exportkontakte zu",
      L"Kontakte exportieren fehlgeschlagen."}},
    {5000, "Portuguese",
     {L"Último nome", L"Primeiro nome", L"Empresa", L"Ok", L"Cancelar", L"Selec. ficheiro export.",
      L"Selec. ficheiro import.", L"Sair", L"Quillmere", L"Exportar tudo", L"Apenas selec.", L"Exportar",
      L"Importar", L"Falha na import. de contactos", L"Import. contactos concluída", L"Exportar contactos para ",
      L"Falha na export. de contactos"}},
    {6000, "Dutch",
     {L"Achternaam", L"Voornaam", L"Bedrijf", L"Ok", L"Annuleren", L"Kies exportbestand", L"Kies importbestand",
      L"Sluiten", L"Quillmere", L"Alles exporteren", L"Alleen selectie", L"Exporteren", L"Importeren",
      L"Import van contacten misl.", L"Import van contacten gelukt", L"Contacten export naar ",
      L"Export van contacten misl."}},
    {7000, "Danish",
     {L"Efternavn", L"Fornavn", L"Firma", L"Ok", L"Annul.", L"Vælg eksport fil", L"Vælg import fil", L"Exit",
      L"Quillmere", L"Eksp. alle", L"Kun valgte", L"Eksp.", L"Import", L"Import. kontakt. lyk. ikke.",
      L"Import. kontakt. lykkedes", L"Eksp. kontakt. til ", L"Eksport. kontakt. lyk. ikke."}},
    {8000, "Swedish",
     {L"Efternamn", L"Förnamn", L"Företag", L"Ok", L"Avbryt", L"Välj fil för export", L"Välj fil för import",
      L"Avsluta", L"Quillmere", L"Exportera allt", L"Endast markerade", L"Exportera", L"Importera",
      L"Det gick inte att importera kontakter.", L"Import av kontakter är klar", L"Exportera kontakter till ",
      L"Det gick inte att exportera kontakter."}},
    {9000, "Norwegian",
     {L"Etternavn", L"Fornavn", L"Firma", L"OK", L"Avbryt", L"Velg eksportfil", L"Velg importfil", L"Avslutt",
      L"Quillmere", L"Eksporter alle", L"Bare utvalgte", L"Eksporter", L"Importer", L"Kan ikke importere kontakter",
      L"Vellykket import av kontakter", L"Eksporter kontakter til ", L"Kan ikke eksportere kontakter"}},
};

TEST(Strings, EveryLanguageHoldsItsSeventeenTextsExactly) {
  for (const LanguageTexts& language : kLanguages) {
    UseLanguage(language.base);
    EXPECT_EQ(ProductName(), L"Quillmere") << language.language;
    for (std::size_t index = 0; index < kOffsets.size(); ++index) {
      EXPECT_EQ(LoadText(kOffsets[index]), language.texts[index]) << language.language << ", offset " << kOffsets[index];
    }
    EXPECT_EQ(LoadText(14), L"") << language.language << " has no text at offset 14";
  }
}

TEST(Strings, ABaseIsUsedAsItIs) {
  UseLanguage(7);
  EXPECT_EQ(LoadText(IDS_LAST_NAME), L"Exit") << "offset 1 at base 7 is id 8, English Exit";
  for (const int base : {500, -3000, 65530, 70000}) {
    UseLanguage(base);
    EXPECT_EQ(LoadText(IDS_LAST_NAME), L"") << base;
    EXPECT_EQ(ProductName(), L"") << base;
  }
}

}  // namespace
}  // namespace quillmere::testing
