#pragma once

#include <QString>

class QTextDocument;

// Stand-in for the platform text view's automatic link detection: replaces
// the document's content with `text`, turning web addresses and e-mail
// addresses into links. The plain text stays exactly `text`:
//   "See https://help.example.com/kb." -> link "https://help.example.com/kb"
//   "www.example.com"                  -> link to "http://www.example.com"
//   "it@example.com"                   -> link to "mailto:it@example.com"
void SetTextWithDetectedLinks(QTextDocument& document, const QString& text, bool detectLinks);
