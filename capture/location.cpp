#include "capture/location.h"

#include <cstring>

int local_px = 0;
int local_py = 0;

const localidade_por_sufixo tabela_localidades[total_localidades] = {
    {"com", "USA", 60, 245},
    {"net", "USA", 60, 245},
    {".br", "Brazil", 130, 325},
    {".ca", "Canada", 70, 230},
    {".pt", "Portugal", 168, 260},
    {".us", "USA", 60, 245},
    {"org", "USA", 60, 245},
    {"gov", "USA", 60, 245},
    {"edu", "USA", 60, 245},
    {"jus", "USA", 60, 245},
    {".es", "Espanha", 178, 260},
    {".it", "Italy", 195, 258},
    {".si", "Slovenia", 195, 250},
    {".hr", "Croatia", 200, 250},
    {".be", "Belgium", 185, 245},
    {".tr", "Turkey", 215, 260},
    {".ly", "Libyan", 210, 267},
    {".sy", "Syrian", 220, 267},
    {".il", "Israel", 215, 272},
    {".jo", "Jordan", 215, 276},
    {".iq", "Iraq", 225, 276},
    {".ir", "Iran", 225, 280},
    {".pk", "Pakistan", 230, 285},
    {".tm", "Turkmenistan", 225, 275},
    {".uz", "Uzbekistan", 225, 272},
    {".kz", "Kazakhstan", 225, 265},
    {".kg", "Kyrgyzstan", 230, 270},
    {".tj", "Tajikistan", 230, 270},
    {".cn", "China", 270, 300},
    {".in", "India", 275, 305},
    {".bd", "Bangladesh", 273, 305},
    {".mm", "Myanmar", 273, 305},
    {".th", "Thailand", 275, 305},
    {".kh", "Cambodia", 275, 307},
    {".vn", "Vietnam", 275, 307},
    {".my", "Malaysia", 275, 315},
    {".id", "Indonesia", 275, 317},
    {".pg", "PapuaNewGuinea", 280, 317},
    {".au", "Australia", 330, 330},
    {".nz", "NewZealand", 355, 330},
    {".ph", "Philippines", 330, 295},
    {".sa", "SaudiArabia", 225, 280},
    {".ae", "UnitedArabEmirates", 230, 285},
    {".om", "Oman", 230, 285},
    {".io", "BritishIndianOcean", 245, 299},
    {".fr", "France", 180, 248},
    {".bm", "Bermuda", 92, 274},
    {".at", "Austria", 195, 248},
    {".hu", "Hungary", 200, 248},
    {".ro", "Romania", 205, 248},
    {".no", "Norway", 185, 235},
    {".se", "Sweden", 190, 232},
    {".fi", "Finland", 190, 235},
    {".ru", "Russian", 280, 235},
    {".gb", "UnitedKingdom", 175, 235},
    {".de", "Germany", 190, 243},
    {".cz", "CzechRepublic", 195, 247},
    {".pl", "Poland", 197, 245},
    {".ua", "Ukraine", 202, 245},
    {".ie", "Ireland", 170, 239},
    {".jp", "Japan", 332, 263},
    {".ap", "Asia/PacificRegion", 352, 263},
    {".kr", "Korea", 320, 262},
    {".mx", "Mexico", 63, 275},
    {".pe", "Peru", 95, 315},
    {".ec", "Ecuador", 95, 310},
    {".co", "Colombia", 96, 305},
    {".pa", "Panama", 90, 300},
    {".cr", "CostaRica", 83, 297},
    {".ni", "Nicaragua", 83, 295},
    {".hn", "Honduras", 83, 293},
    {".sv", "ElSalvador", 82, 293},
    {".gt", "Guatemala", 82, 292},
    {".bz", "Belize", 82, 293},
    {".jm", "Jamaica", 95, 285},
    {".ht", "Haiti", 97, 285},
    {".ve", "Venezuela", 104, 302},
    {".gy", "Guyana", 108, 300},
    {".sr", "Suriname", 112, 300},
    {".uy", "Uruguay", 115, 345},
    {".ar", "Argentina", 110, 345},
    {".bo", "Bolivia", 110, 330},
    {".cl", "Chile", 102, 345},
    {".py", "Paraguay", 115, 335},
    {".za", "SouthAfrica", 207, 335},
    {".na", "Namibia", 198, 330},
    {".bw", "Botswana", 203, 330},
    {".ao", "Angola", 198, 316},
    {".zm", "Zambia", 208, 316},
    {".mz", "Mozambique", 215, 316},
    {".ga", "Gabon", 192, 307},
    {".cg", "Congo", 200, 305},
    {".cd", "Congo,TheDemocraticRepublicofthe", 207, 305},
    {".tz", "Tanzania", 220, 312},
    {".ke", "Kenya", 220, 305},
    {".gq", "guineequat", 192, 304},
    {".cm", "Cameroon", 192, 300},
    {".cf", "CentralAfrican", 205, 300},
    {".et", "Ethiopia", 225, 290},
    {".so", "Somalia", 235, 290},
    {".sn", "Senegal", 160, 285},
    {".gw", "Guinea-Bissau", 160, 286},
    {".gn", "Guinea", 160, 287},
    {".sl", "SierraLeone", 161, 287},
    {".ci", "CoteD'Ivoire", 170, 295},
    {".gh", "Ghana", 175, 295},
    {".tg", "Togo", 176, 295},
    {".bj", "Benin", 176, 295},
    {".ng", "Nigeria", 183, 295},
    {".td", "Chad", 187, 290},
    {".sd", "Sudan", 210, 290},
    {".mu", "Mauritius", 160, 280},
    {"XXX", "xxxx", 31, 12},
    {".ma", "Morocco", 160, 275},
    {".tn", "Tunisia", 190, 267},
    {".dz", "Algeria", 187, 271},
    {".eg", "Egypt", 215, 272},
    {".a2", "SatelliteProvider", 125, 150},
};

namespace {

struct regra_de_endereco {
    const char* texto;
    bool endereco_inteiro;  // the whole address must equal the text, not only begin with it
    const char* nome;
    int x, y;
};

// Tested before the suffix table; a table match replaces them.
const regra_de_endereco regras_de_endereco[] = {
    {"127.0.0.1", true, "Localhost", 123, 432},
    {"::1", true, "Localhost", 123, 432},
    {"10.", false, "RedeLocal", 252, 421},
    {"192.168", false, "RedeLocal", 252, 421},
};

bool regra_vale(const regra_de_endereco& regra, const char* ip) {
    if (regra.endereco_inteiro) return std::strcmp(ip, regra.texto) == 0;
    return std::strncmp(ip, regra.texto, std::strlen(regra.texto)) == 0;
}

}  // namespace

void add_x_y(int x, int y) {
    local_px = x;
    local_py = y;
}

texto_fixo<48> extenc_ip(const char* host) {
    if (host == nullptr) host = "";
    std::size_t tamanho = std::strlen(host);
    return texto_fixo<48>(tamanho > 3 ? host + (tamanho - 3) : host);
}

// Every rule and every row is tested, with no early exit: the last match wins.
texto_fixo<128> definir_a_localidade(const char* ip, const char* sufixo) {
    if (ip == nullptr) ip = "";
    if (sufixo == nullptr) sufixo = "";
    const char* nome = "NoID";
    for (const regra_de_endereco& regra : regras_de_endereco) {
        if (!regra_vale(regra, ip)) continue;
        nome = regra.nome;
        add_x_y(regra.x, regra.y);
    }
    for (const localidade_por_sufixo& linha : tabela_localidades) {
        if (std::strcmp(sufixo, linha.sufixo) != 0) continue;
        nome = linha.nome;
        add_x_y(linha.x, linha.y);
    }
    return texto_fixo<128>(nome);
}
