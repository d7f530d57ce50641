#include "catalogue.h"

#include "pieces.h"

#include <cstdio>

namespace gerador {

namespace {

using tipo = tipo_imagem;

imagem_do_programa nao_exibida(int numero) {
    return {numero, 32, 32, tipo::alfa, paleta::fundo, [](SDL_Surface* s, const fontes&) { emblema(s); }};
}

imagem_do_programa aba(int numero, const char* rotulo) {
    return {numero, 318, 36, tipo::opaca, paleta::barra_topo,
            [rotulo](SDL_Surface* s, const fontes& f) { folha_aba(s, f, rotulo); }};
}

imagem_do_programa ferramenta(int numero, icone i) {
    return {numero, 150, 67, tipo::opaca, paleta::fundo,
            [i](SDL_Surface* s, const fontes& f) { folha_ferramenta(s, f, i); }};
}

imagem_do_programa botao_ponto(int numero, int local) {
    return {numero, 300, 35, tipo::opaca, paleta::cartao,
            [local](SDL_Surface* s, const fontes& f) { folha_ponto_de_partida(s, f, local); }};
}

imagem_do_programa figura_ponto(int numero, int local) {
    return {numero, 180, 140, tipo::opaca, paleta::cartao,
            [local](SDL_Surface* s, const fontes& f) { imagem_ponto_de_partida(s, f, local); }};
}

imagem_do_programa status(int numero, int qual) {
    return {numero, 300, 28, tipo::opaca, paleta::fundo,
            [qual](SDL_Surface* s, const fontes& f) { linha_de_status(s, f, qual); }};
}

imagem_do_programa tela(int numero, void (*desenhar)(SDL_Surface*, const fontes&)) {
    return {numero, 800, 500, tipo::opaca, paleta::fundo, desenhar};
}

}  // namespace

std::vector<imagem_do_programa> catalogo() {
    return {
        nao_exibida(1),
        {2, 309, 22, tipo::opaca, paleta::fundo, folha_iniciar},
        figura_ponto(3, 3),
        figura_ponto(4, 1),
        figura_ponto(5, 0),
        figura_ponto(6, 2),
        nao_exibida(7),
        status(8, 0),
        nao_exibida(9),
        {10, 75, 25, tipo::chave_de_cor, paleta::cartao, folha_caixa_de_marcar},
        ferramenta(11, icone::terminal),
        botao_ponto(12, 0),
        botao_ponto(13, 1),
        botao_ponto(14, 2),
        botao_ponto(15, 3),
        ferramenta(16, icone::geolocalizar),
        ferramenta(17, icone::ip_publico),
        {18, 138, 42, tipo::chave_de_cor, paleta::cartao, folha_duracao},
        nao_exibida(19),
        aba(20, "Curso"),
        aba(21, "Configura\xe7\xf5" "es"),
        aba(22, "In\xed" "cio"),
        aba(23, "Ferramentas"),
        ferramenta(24, icone::proxys),
        {25, 315, 33, tipo::opaca, paleta::fundo, folha_curso},
        ferramenta(26, icone::pasta),
        {27, 25, 25, tipo::alfa, paleta::cartao, [](SDL_Surface* s, const fontes& f) { caixa_de_marcar(s, f, false); }},
        {28, 25, 25, tipo::alfa, paleta::cartao, [](SDL_Surface* s, const fontes& f) { caixa_de_marcar(s, f, true); }},
        {29, 50, 50, tipo::alfa, paleta::cartao, marcador_duracao},
        {30, 180, 140, tipo::opaca, paleta::cartao, [](SDL_Surface* s, const fontes&) { remendo(s, paleta::cartao); }},
        {31, 28, 26, tipo::opaca, paleta::fundo, [](SDL_Surface* s, const fontes&) { remendo(s, paleta::fundo); }},
        nao_exibida(32),
        tela(33, tela_scan),
        {34, 400, 400, tipo::opaca, paleta::oceano, mapa_mundi},
        {35, 400, 400, tipo::opaca, paleta::painel, painel},
        nao_exibida(36),
        tela(37, tela_curso),
        tela(38, tela_configuracoes),
        tela(39, tela_inicio),
        tela(40, tela_abertura),
        tela(41, tela_ferramentas),
        status(42, 1),
        status(43, 2),
        {44, 400, 400, tipo::alfa, paleta::oceano, [](SDL_Surface* s, const fontes&) { radar(s); }},
        {45, 400, 400, tipo::alfa, paleta::oceano, veu_inicial},
        {46, 352, 100, tipo::opaca, paleta::fundo, faixa_duracao},
    };
}

std::string nome_do_arquivo(int numero) {
    char nome[16];
    std::snprintf(nome, sizeof nome, "A%04d.bin", numero);
    return nome;
}

void pintar_quadro_de_folha(SDL_Surface* destino, const fontes& f, int numero, int quadro, int x, int y) {
    for (const imagem_do_programa& imagem : catalogo()) {
        if (imagem.numero != numero) continue;
        SDL_Surface* folha = nova_superficie(imagem.largura, imagem.altura);
        if (!folha) return;
        imagem.desenhar(folha, f);
        const int largura = imagem.largura / 3;
        for (int j = 0; j < imagem.altura; ++j)
            for (int i = 0; i < largura; ++i) {
                const cor c = pixel_gravado(ler_pixel(folha, quadro * largura + i, j), imagem.tipo, imagem.fundo);
                if (c.a) compor_pixel(destino, x + i, y + j, c, 1.0);
            }
        SDL_FreeSurface(folha);
        return;
    }
}

int gerar_todas(const std::string& pasta_bin, const fontes& f) {
    int falhas = 0;
    for (const imagem_do_programa& imagem : catalogo()) {
        SDL_Surface* s = nova_superficie(imagem.largura, imagem.altura);
        const std::string caminho = pasta_bin + "/" + nome_do_arquivo(imagem.numero);
        if (!s) {
            std::fprintf(stderr, "sem memoria para %s\n", caminho.c_str());
            ++falhas;
            continue;
        }
        imagem.desenhar(s, f);
        if (!gravar_png(s, caminho, imagem.tipo, imagem.fundo)) {
            std::fprintf(stderr, "nao foi possivel gravar %s\n", caminho.c_str());
            ++falhas;
        }
        SDL_FreeSurface(s);
    }
    return falhas;
}

}  // namespace gerador
