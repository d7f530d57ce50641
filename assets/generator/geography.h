// Country outlines and the map projection fitted to the location table: a
// Miller projection whose scale and offset per axis come from a least-squares
// fit of the countries' positions to the table's line ends (x + 7, y + 15),
// followed by a smooth local correction (Gaussian displacements) that brings
// each country under the table's point where the table deviates from real
// geography. Header-only: the image generator draws with it and the tests
// measure it.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace geografia {

struct lonlat {
    double lon = 0, lat = 0;
};

// Window coordinates (the map is drawn at (0, 100)).
struct ponto_mapa {
    double x = 0, y = 0;
};

struct pais {
    std::string iso, nome;
    std::vector<std::vector<lonlat>> aneis;
};

// Reads the outline file (see tools/convert_world_atlas.py). Empty
// when the file cannot be read.
inline std::vector<pais> ler_paises(const std::string& caminho) {
    constexpr double unidade = 20.0;
    std::vector<pais> paises;
    std::ifstream arquivo(caminho);
    std::string linha;
    while (std::getline(arquivo, linha)) {
        std::istringstream campos(linha);
        std::string marca;
        campos >> marca;
        if (marca == "P") {
            paises.emplace_back();
            campos >> paises.back().iso >> paises.back().nome;
        } else if (marca == "A" && !paises.empty()) {
            std::vector<lonlat> anel;
            long x = 0, y = 0, dx = 0, dy = 0;
            while (campos >> dx >> dy) {
                x += dx;
                y += dy;
                anel.push_back({x / unidade, y / unidade});
            }
            if (anel.size() >= 3) paises.back().aneis.push_back(std::move(anel));
        }
    }
    return paises;
}

inline const pais* pais_chamado(const std::vector<pais>& paises, const std::string& nome) {
    for (const pais& p : paises)
        if (p.nome == nome) return &p;
    return nullptr;
}

// The outline that stands for a suffix of the location table; nullptr for the
// rows that name no country (".ap", the Asia/Pacific region; "XXX"; ".a2").
inline const char* nome_do_pais_do_sufixo(const std::string& sufixo) {
    static const char* const pares[][2] = {
        {"com", "United_States_of_America"}, {"net", "United_States_of_America"},
        {".us", "United_States_of_America"}, {"org", "United_States_of_America"},
        {"gov", "United_States_of_America"}, {"edu", "United_States_of_America"},
        {"jus", "United_States_of_America"}, {".br", "Brazil"}, {".ca", "Canada"},
        {".pt", "Portugal"}, {".es", "Spain"}, {".it", "Italy"}, {".si", "Slovenia"},
        {".hr", "Croatia"}, {".be", "Belgium"}, {".tr", "Turkey"}, {".ly", "Libya"},
        {".sy", "Syria"}, {".il", "Israel"}, {".jo", "Jordan"}, {".iq", "Iraq"},
        {".ir", "Iran"}, {".pk", "Pakistan"}, {".tm", "Turkmenistan"}, {".uz", "Uzbekistan"},
        {".kz", "Kazakhstan"}, {".kg", "Kyrgyzstan"}, {".tj", "Tajikistan"}, {".cn", "China"},
        {".in", "India"}, {".bd", "Bangladesh"}, {".mm", "Myanmar"}, {".th", "Thailand"},
        {".kh", "Cambodia"}, {".vn", "Vietnam"}, {".my", "Malaysia"}, {".id", "Indonesia"},
        {".pg", "Papua_New_Guinea"}, {".au", "Australia"}, {".nz", "New_Zealand"},
        {".ph", "Philippines"}, {".sa", "Saudi_Arabia"}, {".ae", "United_Arab_Emirates"},
        {".om", "Oman"}, {".io", "Br._Indian_Ocean_Ter."}, {".fr", "France"},
        {".bm", "Bermuda"}, {".at", "Austria"}, {".hu", "Hungary"}, {".ro", "Romania"},
        {".no", "Norway"}, {".se", "Sweden"}, {".fi", "Finland"}, {".ru", "Russia"},
        {".gb", "United_Kingdom"}, {".de", "Germany"}, {".cz", "Czechia"}, {".pl", "Poland"},
        {".ua", "Ukraine"}, {".ie", "Ireland"}, {".jp", "Japan"}, {".kr", "South_Korea"},
        {".mx", "Mexico"}, {".pe", "Peru"}, {".ec", "Ecuador"}, {".co", "Colombia"},
        {".pa", "Panama"}, {".cr", "Costa_Rica"}, {".ni", "Nicaragua"}, {".hn", "Honduras"},
        {".sv", "El_Salvador"}, {".gt", "Guatemala"}, {".bz", "Belize"}, {".jm", "Jamaica"},
        {".ht", "Haiti"}, {".ve", "Venezuela"}, {".gy", "Guyana"}, {".sr", "Suriname"},
        {".uy", "Uruguay"}, {".ar", "Argentina"}, {".bo", "Bolivia"}, {".cl", "Chile"},
        {".py", "Paraguay"}, {".za", "South_Africa"}, {".na", "Namibia"}, {".bw", "Botswana"},
        {".ao", "Angola"}, {".zm", "Zambia"}, {".mz", "Mozambique"}, {".ga", "Gabon"},
        {".cg", "Congo"}, {".cd", "Dem._Rep._Congo"}, {".tz", "Tanzania"}, {".ke", "Kenya"},
        {".gq", "Eq._Guinea"}, {".cm", "Cameroon"}, {".cf", "Central_African_Rep."},
        {".et", "Ethiopia"}, {".so", "Somalia"}, {".sn", "Senegal"}, {".gw", "Guinea-Bissau"},
        {".gn", "Guinea"}, {".sl", "Sierra_Leone"}, {".ci", "C?te_d'Ivoire"}, {".gh", "Ghana"},
        {".tg", "Togo"}, {".bj", "Benin"}, {".ng", "Nigeria"}, {".td", "Chad"}, {".sd", "Sudan"},
        {".mu", "Mauritius"}, {".ma", "Morocco"}, {".tn", "Tunisia"}, {".dz", "Algeria"},
        {".eg", "Egypt"},
    };
    for (const auto& par : pares)
        if (sufixo == par[0]) return par[1];
    return nullptr;
}

// A row of the location table that names a place on the map: the line of a
// connection located there ends at (x + 7, y + 15).
struct alvo {
    std::string sufixo, nome_na_tabela;
    const pais* p = nullptr;  // nullptr: a region without an outline
    ponto_mapa ponto;
    bool ilha = false;        // a small country with no neighbour near its shores
};

inline double y_de_miller(double lat) {
    const double fi = lat * M_PI / 180;
    return 1.25 * std::log(std::tan(M_PI / 4 + 0.4 * fi)) * 180 / M_PI;
}

struct projecao_miller {
    double escala_x = 1, deslocamento_x = 180, escala_y = -1, deslocamento_y = 320;
    ponto_mapa operator()(lonlat l) const {
        return {escala_x * l.lon + deslocamento_x, escala_y * y_de_miller(l.lat) + deslocamento_y};
    }
};

// Smooth local correction: a sum of Gaussian displacements in the plane of
// the projection.
struct deformacao {
    struct bolha {
        ponto_mapa centro;
        double dx, dy, sigma;
    };
    std::vector<bolha> bolhas;

    ponto_mapa operator()(ponto_mapa p) const {
        ponto_mapa q = p;
        for (const bolha& b : bolhas) {
            const double ex = p.x - b.centro.x, ey = p.y - b.centro.y;
            const double d2 = ex * ex + ey * ey, s2 = b.sigma * b.sigma;
            if (d2 > 9 * s2) continue;
            const double g = std::exp(-d2 / (2 * s2));
            q.x += b.dx * g;
            q.y += b.dy * g;
        }
        return q;
    }
};

struct mapa_ajustado {
    projecao_miller projecao;
    deformacao correcao;
    ponto_mapa operator()(lonlat l) const { return correcao(projecao(l)); }
};

using anel_na_tela = std::vector<ponto_mapa>;

// The country's rings as drawn, each ring also one turn to the west when it
// reaches past the antimeridian.
inline std::vector<anel_na_tela> aneis_na_tela(const pais& p, const mapa_ajustado& mapa) {
    std::vector<anel_na_tela> aneis;
    for (const auto& anel : p.aneis) {
        for (double volta : {0.0, -360.0}) {
            bool passa = false;
            anel_na_tela na_tela;
            for (const lonlat& l : anel) {
                passa = passa || l.lon > 180;
                na_tela.push_back(mapa({l.lon + volta, l.lat}));
            }
            if (volta == 0 || passa) aneis.push_back(std::move(na_tela));
        }
    }
    return aneis;
}

inline bool dentro(ponto_mapa p, const std::vector<anel_na_tela>& aneis) {
    bool dentro_de = false;
    for (const anel_na_tela& a : aneis)
        for (size_t i = 0, n = a.size(); i < n; ++i) {
            const ponto_mapa u = a[i], v = a[(i + 1) % n];
            if ((u.y > p.y) != (v.y > p.y) && p.x < u.x + (p.y - u.y) / (v.y - u.y) * (v.x - u.x))
                dentro_de = !dentro_de;
        }
    return dentro_de;
}

// The point of the outline nearest to p: its distance, and where it lies
// before the local correction (for placing a new displacement there).
struct mais_proximo {
    double distancia = std::numeric_limits<double>::max();
    ponto_mapa no_mapa, antes_da_correcao;
};

inline mais_proximo ponto_mais_proximo(ponto_mapa p, const std::vector<anel_na_tela>& aneis,
                                       const std::vector<anel_na_tela>& aneis_sem_correcao) {
    mais_proximo m;
    for (size_t k = 0; k < aneis.size(); ++k) {
        const anel_na_tela& a = aneis[k];
        for (size_t i = 0, n = a.size(); i < n; ++i) {
            const ponto_mapa u = a[i], v = a[(i + 1) % n];
            const double dx = v.x - u.x, dy = v.y - u.y, n2 = dx * dx + dy * dy;
            const double t = n2 > 0 ? std::clamp(((p.x - u.x) * dx + (p.y - u.y) * dy) / n2, 0.0, 1.0) : 0;
            const ponto_mapa q{u.x + t * dx, u.y + t * dy};
            const double d = std::hypot(p.x - q.x, p.y - q.y);
            if (d < m.distancia) {
                const ponto_mapa u0 = aneis_sem_correcao[k][i], v0 = aneis_sem_correcao[k][(i + 1) % n];
                m = {d, q, {u0.x + t * (v0.x - u0.x), u0.y + t * (v0.y - u0.y)}};
            }
        }
    }
    return m;
}

// 0 when p lies in the country as drawn, else its distance in pixels.
inline double distancia_ao_pais(ponto_mapa p, const pais& pa, const mapa_ajustado& mapa) {
    const auto aneis = aneis_na_tela(pa, mapa);
    if (dentro(p, aneis)) return 0;
    return ponto_mais_proximo(p, aneis, aneis).distancia;
}

// Where a country sits for the global fit: the centroid of its largest ring.
inline lonlat centro_do_pais(const pais& p) {
    double maior = -1;
    lonlat centro;
    for (const auto& anel : p.aneis) {
        double area = 0, cx = 0, cy = 0;
        for (size_t i = 0, n = anel.size(); i < n; ++i) {
            const lonlat a = anel[i], b = anel[(i + 1) % n];
            const double c = a.lon * b.lat - b.lon * a.lat;
            area += c;
            cx += (a.lon + b.lon) * c;
            cy += (a.lat + b.lat) * c;
        }
        if (std::abs(area) > maior && area != 0) {
            maior = std::abs(area);
            centro = {cx / (3 * area), cy / (3 * area)};
        }
    }
    return centro;
}

// Least squares of alvo = escala * fonte + deslocamento, one axis.
inline void reta_minimos_quadrados(const std::vector<double>& fonte, const std::vector<double>& alvo_eixo,
                                   double& escala, double& deslocamento) {
    const double n = static_cast<double>(fonte.size());
    double mf = 0, ma = 0;
    for (size_t i = 0; i < fonte.size(); ++i) {
        mf += fonte[i] / n;
        ma += alvo_eixo[i] / n;
    }
    double sff = 0, sfa = 0;
    for (size_t i = 0; i < fonte.size(); ++i) {
        sff += (fonte[i] - mf) * (fonte[i] - mf);
        sfa += (fonte[i] - mf) * (alvo_eixo[i] - ma);
    }
    escala = sff > 0 ? sfa / sff : 1;
    deslocamento = ma - escala * mf;
}

// Scale and offset per axis fitted to the table's points against the
// countries' centres; rows more than three times the median error away are
// left out of a second pass (the table has a few plain mistakes, such as
// Mauritius placed in West Africa).
inline projecao_miller ajustar_projecao(const std::vector<alvo>& alvos) {
    std::vector<const alvo*> usados;
    for (const alvo& a : alvos)
        if (a.p) usados.push_back(&a);
    projecao_miller proj;
    for (int passo = 0; passo < 2; ++passo) {
        std::vector<double> lon, ymil, ax, ay;
        for (const alvo* a : usados) {
            const lonlat c = centro_do_pais(*a->p);
            lon.push_back(c.lon);
            ymil.push_back(y_de_miller(c.lat));
            ax.push_back(a->ponto.x);
            ay.push_back(a->ponto.y);
        }
        reta_minimos_quadrados(lon, ax, proj.escala_x, proj.deslocamento_x);
        reta_minimos_quadrados(ymil, ay, proj.escala_y, proj.deslocamento_y);
        std::vector<double> erros;
        for (const alvo* a : usados) {
            const ponto_mapa p = proj(centro_do_pais(*a->p));
            erros.push_back(std::hypot(p.x - a->ponto.x, p.y - a->ponto.y));
        }
        std::vector<double> ordenados = erros;
        std::nth_element(ordenados.begin(), ordenados.begin() + ordenados.size() / 2, ordenados.end());
        const double limite = 3 * ordenados[ordenados.size() / 2];
        std::vector<const alvo*> mantidos;
        for (size_t i = 0; i < usados.size(); ++i)
            if (erros[i] <= limite) mantidos.push_back(usados[i]);
        usados = mantidos;
    }
    return proj;
}

// How far inside its country a table point is pushed by the correction, and
// the most a single displacement may move the map (larger moves are made in
// several smaller steps, so the map stretches instead of folding); each
// displacement reaches at least `menor_sigma` pixels around, so regions move
// together rather than tearing.
constexpr double margem_interna = 1.5;
constexpr double maior_passo = 6.0;
constexpr int passos_de_correcao = 20;
constexpr double amortecimento = 0.5;
constexpr double menor_sigma = 12.0;

// Rows too far from their country for the correction to move it there
// without crushing its neighbours are left as they are: the table's plain
// mistakes (Mauritius in West Africa, Papua New Guinea on Borneo) and the
// points it piles up where real countries lie far apart (China, India,
// Bangladesh, Myanmar and Thailand within five pixels); beyond this the
// subcontinent and Arabia lose their shapes.
constexpr double maior_correcao = 9.0;

// A small island country far from every other shore can move further: the
// correction around it is confined to the sea.
constexpr double maior_correcao_de_ilha = 26.0;
constexpr double maior_tamanho_de_ilha = 30.0;
constexpr double distancia_de_ilha = 6.0;

struct caixa_na_tela {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    double diagonal() const { return std::hypot(x1 - x0, y1 - y0); }
};

inline double area_do_anel(const std::vector<lonlat>& anel) {
    double area = 0;
    for (size_t i = 0, n = anel.size(); i < n; ++i)
        area += anel[i].lon * anel[(i + 1) % n].lat - anel[(i + 1) % n].lon * anel[i].lat;
    return std::abs(area) / 2;
}

// The box of the country's main land: its far-flung islets (New Zealand's
// Chatham Islands) are left out.
inline caixa_na_tela caixa_do_pais(const pais& p, const projecao_miller& proj) {
    double maior = 0;
    for (const auto& anel : p.aneis) maior = std::max(maior, area_do_anel(anel));
    caixa_na_tela c;
    for (const auto& anel : p.aneis)
        if (area_do_anel(anel) >= maior / 20)
            for (const lonlat& l : anel) {
                const ponto_mapa q = proj(l);
                c.x0 = std::min(c.x0, q.x), c.y0 = std::min(c.y0, q.y);
                c.x1 = std::max(c.x1, q.x), c.y1 = std::max(c.y1, q.y);
            }
    return c;
}

inline bool e_ilha(const pais& p, const std::vector<pais>& paises, const projecao_miller& proj) {
    const caixa_na_tela c = caixa_do_pais(p, proj);
    if (c.diagonal() > maior_tamanho_de_ilha) return false;
    for (const pais& outro : paises) {
        if (&outro == &p) continue;
        const caixa_na_tela o = caixa_do_pais(outro, proj);
        if (o.x0 > c.x1 + distancia_de_ilha || o.x1 < c.x0 - distancia_de_ilha ||
            o.y0 > c.y1 + distancia_de_ilha || o.y1 < c.y0 - distancia_de_ilha)
            continue;
        for (const auto& anel : outro.aneis)
            for (const lonlat& l : anel) {
                const ponto_mapa q = proj(l);
                if (q.x > c.x0 - distancia_de_ilha && q.x < c.x1 + distancia_de_ilha &&
                    q.y > c.y0 - distancia_de_ilha && q.y < c.y1 + distancia_de_ilha)
                    return false;
            }
    }
    return true;
}

// The displacement that moves a country's nearest edge point past the
// target by the inner margin; none when the target is inside or too far.
inline bool correcao_para(const alvo& a, const mapa_ajustado& mapa, const mapa_ajustado& sem_correcao,
                          deformacao::bolha& bolha) {
    const auto aneis = aneis_na_tela(*a.p, mapa);
    if (dentro(a.ponto, aneis)) return false;
    const mais_proximo m = ponto_mais_proximo(a.ponto, aneis, aneis_na_tela(*a.p, sem_correcao));
    const double d = m.distancia;
    if (d <= 0 || d > (a.ilha ? maior_correcao_de_ilha : maior_correcao)) return false;
    const double mover = std::min(maior_passo, d + margem_interna);
    const double ux = (a.ponto.x - m.no_mapa.x) / d, uy = (a.ponto.y - m.no_mapa.y) / d;
    const double alcance = a.ilha ? std::max(3.0, caixa_do_pais(*a.p, sem_correcao.projecao).diagonal())
                                  : std::max(menor_sigma, 3.0 * mover);
    bolha = {m.antes_da_correcao, ux * mover * amortecimento, uy * mover * amortecimento, alcance};
    return true;
}

// Each target in turn pulls its country under it, the next seeing the
// correction so far; passes repeat until every reachable target is inside.
inline mapa_ajustado ajustar_mapa(std::vector<alvo> alvos, const std::vector<pais>& paises) {
    mapa_ajustado mapa{ajustar_projecao(alvos), {}};
    const mapa_ajustado sem_correcao{mapa.projecao, {}};
    for (alvo& a : alvos) a.ilha = a.p && e_ilha(*a.p, paises, mapa.projecao);
    for (int passo = 0; passo < passos_de_correcao; ++passo) {
        bool mudou = false;
        for (const alvo& a : alvos) {
            deformacao::bolha bolha;
            if (!a.p || !correcao_para(a, mapa, sem_correcao, bolha)) continue;
            mapa.correcao.bolhas.push_back(bolha);
            mudou = true;
        }
        if (!mudou) break;
    }
    return mapa;
}

}  // namespace geografia
