#include "commandline.h"

#include "statfilewriter.h"

#include <QSet>

namespace belva::score {

namespace {

void apply(CommandLine &line, const QString &option, const QString &value)
{
    Settings &s = line.settings;
    if (option == u"-o" || option == u"--output") {
        if (value.isEmpty())
            throw UsageError{QStringLiteral("%1 : nom de fichier vide").arg(option)};
        line.output = value;
    } else if (option == u"--missing") {
        if (value == u"refuse")
            s.missing = MissingAnswers::Refuse;
        else if (value == u"prorate")
            s.missing = MissingAnswers::Prorate;
        else
            throw UsageError{QStringLiteral("--missing : « %1 » n'est ni refuse ni prorate").arg(value)};
    } else if (option == u"--items") {
        QStringList names = value.split(u',');
        for (QString &name : names)
            name = name.trimmed();
        if (names.size() != ItemCount || names.contains(QString()))
            throw UsageError{QStringLiteral("--items : %1 noms de colonnes attendus, séparés par des virgules, dans l'ordre des items (%2 donnés)")
                                 .arg(ItemCount)
                                 .arg(names.size())};
        QSet<QString> seen;
        for (const QString &name : names) {
            if (seen.contains(name))
                throw UsageError{QStringLiteral("--items : « %1 » est donné deux fois").arg(name)};
            seen.insert(name);
        }
        s.items = names;
    } else if (option == u"--delimiter") {
        if (value == u";" || value == u",")
            s.delimiter = char(value[0].unicode());
        else if (value == u"\t" || value.compare(u"tab", Qt::CaseInsensitive) == 0)
            s.delimiter = '\t';
        else
            throw UsageError{QStringLiteral("--delimiter : « %1 » n'est ni ; ni , ni tab").arg(value)};
    } else if (option == u"--encoding") {
        const QString v = value.toLower();
        if (v == u"utf-8" || v == u"utf8")
            s.encoding = TextEncoding::Utf8;
        else if (v == u"windows-1252" || v == u"cp1252")
            s.encoding = TextEncoding::Windows1252;
        else
            throw UsageError{QStringLiteral("--encoding : « %1 » n'est ni utf-8 ni windows-1252").arg(value)};
    } else if (option == u"--output-encoding") {
        const QString v = value.toLower();
        if (v == u"utf-8" || v == u"utf8")
            s.outputEncoding = OutputEncoding::Utf8;
        else if (v == u"utf-8-bom" || v == u"utf8-bom")
            s.outputEncoding = OutputEncoding::Utf8WithBom;
        else if (v == u"windows-1252" || v == u"cp1252")
            s.outputEncoding = OutputEncoding::Windows1252;
        else
            throw UsageError{QStringLiteral("--output-encoding : « %1 » n'est ni utf-8, ni utf-8-bom, ni windows-1252").arg(value)};
    } else if (option == u"--na") {
        QStringList codes = value.split(u',');
        for (QString &code : codes)
            code = code.trimmed();
        if (codes.contains(QString()))
            throw UsageError{QStringLiteral("--na : « %1 » contient un code vide").arg(value)};
        s.missingCodes << codes;
    } else if (option == u"--decimal-separator") {
        if (value != u"," && value != u".")
            throw UsageError{QStringLiteral("--decimal-separator : « %1 » n'est ni , ni .").arg(value)};
        s.decimalSeparator = value[0];
    } else if (option == u"--key-file" || option == u"--pseudonym-table") {
        if (value.isEmpty())
            throw UsageError{QStringLiteral("%1 : nom de fichier vide").arg(option)};
        (option == u"--key-file" ? line.keyFile : line.pseudonymTable) = value;
    } else if (option == u"--identifiers") {
        QStringList names = value.split(u',');
        for (QString &name : names)
            name = name.trimmed();
        if (names.contains(QString()))
            throw UsageError{QStringLiteral("--identifiers : « %1 » contient un nom de colonne vide").arg(value)};
        for (qsizetype i = 0; i < names.size(); ++i)
            for (qsizetype j = 0; j < i; ++j)
                if (names[i].compare(names[j], Qt::CaseInsensitive) == 0)
                    throw UsageError{QStringLiteral("--identifiers : « %1 » est donné deux fois").arg(names[i])};
        s.identifiers = names;
    } else if (option == u"--format") {
        const QString v = value.toLower();
        if (v == u"csv")
            s.format = OutputFormat::Csv;
        else if (v == u"sav")
            s.format = OutputFormat::Sav;
        else if (v == u"dta")
            s.format = OutputFormat::Dta;
        else
            throw UsageError{QStringLiteral("--format : « %1 » n'est ni csv, ni sav, ni dta").arg(value)};
    } else {
        throw UsageError{QStringLiteral("option inconnue « %1 »").arg(option)};
    }
}

// The options of pseudonyms go together; the key never comes from the
// command line, where other users see it.
void checkPseudonymOptions(const CommandLine &line)
{
    if (!line.settings.pseudonymize) {
        const QString without = QStringLiteral("%1 ne s'emploie qu'avec --pseudonymize");
        if (!line.keyFile.isEmpty())
            throw UsageError{without.arg(QLatin1String("--key-file"))};
        if (!line.settings.identifiers.isEmpty())
            throw UsageError{without.arg(QLatin1String("--identifiers"))};
        if (!line.pseudonymTable.isEmpty())
            throw UsageError{without.arg(QLatin1String("--pseudonym-table"))};
        return;
    }
    if (line.keyFile.isEmpty())
        throw UsageError{QStringLiteral("--pseudonymize demande --key-file FICHIER : la clé est la première ligne de ce "
                                        "fichier, jamais sur la ligne de commande")};
    if (line.pseudonymTable == u"-" && (line.output.isEmpty() || line.output == u"-"))
        throw UsageError{QStringLiteral("--pseudonym-table - : la sortie standard reçoit déjà les scores")};
}

// What the options say together about the output.
void checkOutput(const CommandLine &line, bool outputEncodingGiven)
{
    const Settings &s = line.settings;
    if (s.format == OutputFormat::Csv)
        return;
    const QString format = s.format == OutputFormat::Sav ? QStringLiteral("--format=sav") : QStringLiteral("--format=dta");
    if (!StatFilesAvailable())
        throw UsageError{QStringLiteral("%1 : cette version de belvamg-score est construite sans ReadStat, seul "
                                        "--format=csv est possible").arg(format)};
    if (s.reliability)
        throw UsageError{QStringLiteral("--reliability écrit un tableau CSV : il ne va pas avec %1").arg(format)};
    if (line.output.isEmpty() || line.output == u"-")
        throw UsageError{QStringLiteral("%1 : donnez le fichier à écrire avec -o FICHIER").arg(format)};
    if (outputEncodingGiven)
        throw UsageError{QStringLiteral("--output-encoding ne vaut que pour le CSV : %1 écrit en UTF-8").arg(format)};
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    static const QStringList withValue = {QStringLiteral("-o"), QStringLiteral("--output"), QStringLiteral("--missing"),
                                          QStringLiteral("--items"), QStringLiteral("--delimiter"),
                                          QStringLiteral("--encoding"), QStringLiteral("--output-encoding"),
                                          QStringLiteral("--na"), QStringLiteral("--decimal-separator"),
                                          QStringLiteral("--key-file"), QStringLiteral("--identifiers"),
                                          QStringLiteral("--pseudonym-table"), QStringLiteral("--format")};
    CommandLine line;
    // Help is given whatever else the command line holds.
    for (const QString &arg : arguments) {
        if (arg == u"--")
            break;
        if (arg == u"-h" || arg == u"--help") {
            line.help = true;
            return line;
        }
    }
    bool options = true;
    bool outputEncodingGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (!options || arg == u"-" || !arg.startsWith(u'-')) {
            line.inputs << arg;
            continue;
        }
        if (arg == u"--") {
            options = false;
            continue;
        }
        if (arg == u"-r" || arg == u"--recursive") {
            line.settings.recursive = true;
            continue;
        }
        if (arg == u"--pseudonymize") {
            line.settings.pseudonymize = true;
            continue;
        }
        if (arg == u"--reliability") {
            line.settings.reliability = true;
            continue;
        }
        QString option = arg;
        QString value;
        bool hasValue = false;
        if (arg.startsWith(u"--") && arg.contains(u'=')) {
            option = arg.section(u'=', 0, 0);
            value = arg.section(u'=', 1);
            hasValue = true;
        } else if (arg.startsWith(u"-o") && arg.size() > 2 && !arg.startsWith(u"--")) {
            option = QStringLiteral("-o");
            value = arg.mid(2);
            hasValue = true;
        }
        if (!withValue.contains(option))
            throw UsageError{QStringLiteral("option inconnue « %1 »").arg(option)};
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                throw UsageError{QStringLiteral("l'option %1 demande une valeur").arg(option)};
            value = arguments[++i];
        }
        apply(line, option, value);
        outputEncodingGiven |= option == u"--output-encoding";
    }
    if (line.inputs.isEmpty())
        throw UsageError{QStringLiteral("aucune entrée : donnez un fichier CSV, des tests enregistrés ou - pour l'entrée standard")};
    if (line.inputs.count(QStringLiteral("-")) > 1)
        throw UsageError{QStringLiteral("l'entrée standard (-) est donnée plusieurs fois")};
    checkPseudonymOptions(line);
    checkOutput(line, outputEncodingGiven);
    return line;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage : belvamg-score [OPTIONS] ENTRÉE...\n"
        "Calcule les scores BELVA MG (PS, PH, S, DG et global) de tous les tests d'une\n"
        "étude, comme la fenêtre du programme. Le score global est la moyenne des\n"
        "quatre pourcentages non arrondis, arrondie ensuite comme eux à deux décimales.\n"
        "\n"
        "ENTRÉE : un fichier CSV (un test par ligne, en-tête en première ligne,\n"
        "réponses dans les colonnes 1 à 20, q1 à q20, q01 à q20 ou item1 à item20),\n"
        "- pour un CSV lu sur l'entrée standard, un test enregistré par Sauvegarder\n"
        "sous (.txt) ou un dossier de tests enregistrés.\n"
        "\n"
        "Options :\n"
        "  -o, --output FICHIER       écrit dans FICHIER au lieu de la sortie standard\n"
        "                             (- : la sortie standard) : un fichier est écrit\n"
        "                             entier ou pas du tout, un tube ou un périphérique\n"
        "                             reçoit la sortie sans être remplacé\n"
        "      --missing=refuse       une réponse manquante fait échouer la ligne (défaut)\n"
        "      --missing=prorate      une dimension dont au moins la moitié des items a\n"
        "                             une réponse est calculée sur la moyenne de ces\n"
        "                             réponses × son nombre d'items : une convention\n"
        "                             d'étude, pas une règle du questionnaire papier ;\n"
        "                             la colonne Manquantes compte les items sans réponse\n"
        "      --na CODE,...          d'autres codes de réponse manquante, comme -99\n"
        "                             (vide, NA, NaN, #N/A et . le sont toujours)\n"
        "      --items NOM,...        les vingt colonnes de réponses, dans l'ordre\n"
        "                             (majuscules et minuscules confondues)\n"
        "      --delimiter ;|,|tab    séparateur du CSV (défaut : détecté sur l'en-tête)\n"
        "      --encoding utf-8|windows-1252\n"
        "                             encodage du CSV (défaut : UTF-8 s'il est valide,\n"
        "                             sinon Windows-1252)\n"
        "      --output-encoding utf-8|utf-8-bom|windows-1252\n"
        "                             encodage de la sortie (défaut : celui de l'entrée,\n"
        "                             avec son BOM ; UTF-8 avec BOM si un caractère ne\n"
        "                             s'écrit pas en Windows-1252)\n"
        "      --decimal-separator ,|.\n"
        "                             séparateur décimal des scores (défaut : « , » si le\n"
        "                             séparateur du CSV est « ; », sinon « . »)\n"
        "      --pseudonymize         remplace les noms des patients par des pseudonymes\n"
        "                             (voir Pseudonymisation plus bas)\n"
        "      --key-file FICHIER     la clé des pseudonymes : la première ligne de\n"
        "                             FICHIER, au moins 16 octets (jamais sur la ligne\n"
        "                             de commande, que les autres utilisateurs voient)\n"
        "      --identifiers COL,...  les colonnes du CSV qui identifient un patient\n"
        "                             (majuscules et minuscules confondues)\n"
        "      --pseudonym-table FICHIER\n"
        "                             écrit aussi la correspondance Pseudonyme;Nom\n"
        "                             (CSV en UTF-8 avec BOM), à garder à la clinique ;\n"
        "                             écrite entière ou pas du tout, comme avec -o\n"
        "      --format=csv|sav|dta   format de la sortie : CSV (défaut), SPSS (.sav) ou\n"
        "                             Stata 14 et suivants (.dta) ; ces deux derniers,\n"
        "                             en UTF-8 et avec les libellés des items, de leurs\n"
        "                             réponses et des scores, demandent -o FICHIER\n"
        "      --reliability          au lieu des scores, la fiabilité de chaque échelle\n"
        "                             et de ses items, en un tableau CSV (voir plus bas)\n"
        "  -r, --recursive            lit aussi les sous-dossiers des dossiers donnés\n"
        "  -h, --help                 affiche cette aide\n"
        "\n"
        "Sortie : les colonnes de l'entrée suivies de PS, PH, S, DG, Global et Erreur\n"
        "(Fichier en premier avec plusieurs entrées ; PS à Erreur calculées à nouveau\n"
        "à leur place dans une sortie relue). Une ligne qui ne peut pas être calculée\n"
        "garde ses colonnes, ses scores restent vides et Erreur dit pourquoi (aussi\n"
        "sur l'erreur standard, FICHIER:LIGNE: message).\n"
        "SPSS et Stata : les réponses q1 à q20 sont des nombres avec le texte de l'item\n"
        "pour libellé, une réponse manquante ou refusée une valeur manquante système ;\n"
        "PS, PH, S, DG, Global et Manquantes sont des nombres, Erreur du texte ; les\n"
        "autres colonnes sont des nombres quand toutes leurs valeurs en sont, sinon du\n"
        "texte. Un nom de colonne que SPSS ou Stata refuse devient un nom valide, et\n"
        "le nom d'origine le libellé de la variable.\n"
        "\n"
        "Fiabilité (--reliability) : une ligne par échelle (PS, PH, S, DG) puis une par\n"
        "item (q1 à q20), sur les tests qui ont répondu à tous les items de l'échelle,\n"
        "avec quatre décimales :\n"
        "  Tests : le nombre de tests qui ont répondu à tous les items de l'échelle.\n"
        "  Alpha : l'alpha de Cronbach, la cohérence des réponses aux items de\n"
        "    l'échelle.\n"
        "  Moyenne : la moyenne du score de l'échelle (en %) ou de la réponse à l'item.\n"
        "  Écart-type : l'écart-type (n - 1) de ce score ou de cette réponse.\n"
        "  Plancher (%) : la part des tests dont le score de l'échelle vaut 0 %.\n"
        "  Plafond (%) : la part des tests dont le score de l'échelle vaut 100 %.\n"
        "  Corrélation item-total corrigée : la corrélation entre la réponse à l'item\n"
        "    et la somme des réponses aux autres items de son échelle.\n"
        "  Alpha sans l'item : l'alpha de Cronbach de l'échelle calculé sans cet item.\n"
        "Un chiffre qui ne peut pas être calculé (moins de deux tests, des réponses\n"
        "toutes égales) reste vide, et l'erreur standard dit pourquoi.\n"
        "\n"
        "Code de sortie : 0 tout est calculé, 1 des lignes ont échoué (les autres sont\n"
        "écrites), 2 erreur d'usage, de lecture ou d'écriture.\n"
        "\n"
        "Pseudonymisation (--pseudonymize --key-file FICHIER) : Patient (tests\n"
        "enregistrés) ou les colonnes de --identifiers (CSV, obligatoire) deviennent\n"
        "« P- » et les 16 premiers chiffres hexadécimaux de HMAC-SHA256(clé, nom en\n"
        "UTF-8) ; le nom est d'abord normalisé : blancs retirés au début et à la fin,\n"
        "chaque suite de blancs réduite à une espace, lettres en minuscules (pliage\n"
        "simple d'Unicode), accents gardés. Un même patient a le même pseudonyme dans\n"
        "tous les fichiers avec la même clé, un autre avec une autre clé ; un nom vide\n"
        "reste vide. La colonne Fichier est omise et Erreur ne nomme aucun fichier\n"
        "(l'erreur standard, si). Ne protège pas : les dates, réponses et scores,\n"
        "gardés tels quels (une date peut identifier : à l'étude de décider), les\n"
        "autres colonnes copiées du CSV (texte libre, commentaires, nom dans une autre\n"
        "colonne : nommez-les dans --identifiers), l'ordre des lignes (celui des noms\n"
        "de fichiers pour des tests enregistrés), les petites études et les scores\n"
        "rares qui désignent un patient. Qui a la clé peut retrouver un pseudonyme à\n"
        "partir d'un nom : gardez-la, et la table, à la clinique.\n"
        "\n"
        "Exemples :\n"
        "  belvamg-score etude.csv -o scores.csv\n"
        "  belvamg-score --missing=prorate --na=-99 etude.csv -o scores.csv\n"
        "  belvamg-score --items=R1,R2,R3,R4,R5,R6,R7,R8,R9,R10,R11,R12,R13,R14,R15,R16,R17,R18,R19,R20 etude.csv\n"
        "  belvamg-score --recursive tests/ -o scores.csv\n"
        "  belvamg-score --pseudonymize --key-file cle.txt --pseudonym-table table.csv\n"
        "                tests/ -o scores.csv\n"
        "  belvamg-score --pseudonymize --key-file cle.txt --identifiers=Nom,Prénom\n"
        "                etude.csv -o scores.csv\n"
        "  belvamg-score --format=sav etude.csv -o scores.sav\n"
        "  belvamg-score --reliability etude.csv -o fiabilite.csv\n"
        "  export-etude | belvamg-score - > scores.csv\n");
}

} // namespace belva::score
