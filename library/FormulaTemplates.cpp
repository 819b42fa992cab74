#include "library/FormulaTemplates.h"

// The texts are the lists' own, character for character, with these
// corrections of results a student would otherwise copy: the trapezium's
// description names its height "htr" as its input line does; the pyramid's
// lateral area uses the apothem sqrt(lpi^2/4 + hpi^2); x(t) adds the
// acceleration term and its description names the time "tti"; w(r) divides
// by the radius; w(T) computes "wan", the angular speed 2 pi / T; the
// trajectory multiplies tan(alf) by xpo; the gravitational potential energy
// is "epo" (not "pot", the power's name).

namespace {

const TFormulaTemplate kAreas[] = {
    {"Area de un rectángulo", "are -> área de un rectangulo", "are=br*ar", {"br", "ar"}},
    {"Area de un triangulo", "atr -> área de un triángulo", "atr=base*altura/2", {"base", "altura"}},
    {"Area un paralelogramo", "apa -> área de un paralelogramo", "apa=bp*ap", {"bp", "ap"}},
    {"Area de un trapecio", "atra -> área de un trapecio (btma: base mayor, btme: base menor, htr: altura", "atra=1/2*(btma+btme)*htr", {"btma", "btme", "htr"}},
    {"Area de un polígono regular", "apr -> área de un polígono regular (pp: perímetro, ap: apotema", "apr=pp*ap/2", {"pp", "ap"}},
    {"Superficie de un círculo", "sci -> superficie de un círculo (rci: radio)", "sci=pi*rci^2", {"rci"}},
    {"Superficie de un cubo", "scu -> superficie de un cubo (acu: arista del cubo)", "scu=6*acu^2", {"acu"}},
    {"Superficie de una caja", "sca -> superficie de una caja (loc: longitud, anc: ancho, alc: altura )", "sca=2*(loc*anc+loc*alc+anc*alc)", {"loc", "anc", "alc"}},
    {"Superficie de un cilindro", "sci -> superficie de un cilindro (rci: radio cilindro, hci: altura cilindro)", "sci=2*pi*rci*(hci+rci)", {"rci", "hci"}},
    {"Superficie de una pirámide", "spi -> superficie de una pirámide regular (lpi: lado de la base, hpi: altura pirámide)", "spi=lpi^2+lpi*sqrt(lpi^2+4*hpi^2)", {"lpi", "hpi"}},
    {"Superficie de una esfera", "ses -> superficie de una esfera (res: radio esfera)", "ses=4*pi*res^2", {"res"}},
    {"Superficie de un cono", "sco -> superficie de un cono (rco: radio de la base, hco: altura del cono)", "sco=pi*rco^2+pi*rco*sqrt(rco^2+hco^2)", {"rco", "hco"}},
};
const TFormulaTemplate kVolumes[] = {
    {"Volumen de un cubo", "vcu -> volumen de un cubo (acu: arista)", "vcu=acu^3", {"acu"}},
    {"Volumen de una caja", "vca -> volumen de una caja (lca: largo, aca: ancho, hca: alto)", "vca=lca*aca*hca", {"lca", "aca", "hca"}},
    {"Volumen de un cilindro", "vci -> volumen de un cilindro (rci: radio, aci: altura)", "vci=pi*rci^2*aci", {"rci", "aci"}},
    {"Volumen de una pirámide", "vpi -> volumen de una pirámide (lpi: lado base, api: altura)", "vpi=1/3*lpi^2*api", {"lpi", "api"}},
    {"Volumen de una esfera", "ves -> volumen de una esfera (res: radio)", "ves=4/3*pi*res^3", {"res"}},
    {"Volumen de un cono", "vco -> volumen de un cono (rco: radio, aco: altura)", "vco=1/3*pi*rco^2*aco", {"rco", "aco"}},
};
const TFormulaTemplate kPhysics[] = {
    {"Movimiento rectilíneo acelerado, v(t)", "v(t) -> velocidad, vei: velocidad inicial, acl: aceleración, ttm: tiempo", "v(t)=vei+acl*ttm", {"vei", "acl", "ttm"}},
    {"Movimiento rectilíneo acelerado x(t)", "x(t) -> posición, poi: posición inicial, voi: velocidad inicial, acl: aceleración, tti: tiempo ", "x(t)=poi+(voi*tti)+(1/2*acl*tti^2)", {"poi", "voi", "acl", "tti"}},
    {"Movimiento rectilíneo acelerado v(x)", "vef -> velocidad, pos: espacio recorrido, vei: velocidad inicial, acl: aceleración", "vef=sqrt(vei^2+2*acl*pos)", {"vei", "acl", "pos"}},
    {"Velocidad angular, w(r)", "van -> velocidad angular, vel: velocidad lineal, rra: radio", "van=vel/rra", {"vel", "rra"}},
    {"Velocidad angular, w(T)", "wan -> velocidad angular, per: periodo", "wan=2*pi/per", {"per"}},
    {"Frecuencia", "fre -> frecuencia, tpe: periodo", "fre=1/tpe", {"tpe"}},
    {"Trayectoria parabólica, y(x)", "ypa -> altura, xpo: posición horizontal, alf: ángulo de lanzamiento(grados), gt: aceleración de la gravedad, vvi: velocidad inicial", "ypa=ypo+ xpo*tan(alf)-(gt*xpo^2/(2*vvi^2*cos(alf)^2))", {"ypo", "xpo", "alf", "vvi"}},
    {"Fuerza", "fue -> fuerza, mas: masa, aac: aceleración", "fue=mas*aac", {"mas", "aac"}},
    {"Trabajo", "tra -> trabajo, ffu: fuerza, des: desplazamiento, agn: ángulo", "tra=ffu*des*cos(agn)", {"ffu", "des", "agn"}},
    {"Potencia", "pot -> potencia, wwa: trabajo, tmp: tiempo", "pot=wwa/tmp", {"wwa", "tmp"}},
    {"Energía cinética", "eci -> energía cinética, mms: masa, vvl: velocidad", "eci=1/2*mms*vvl^2", {"mms", "vvl"}},
    {"Energía potencial gravitatoria", "epo -> energía potencial, mmm: masa, hal: altura, gt: aceleración de la gravedad terrestre", "epo=mmm*gt*hal", {"mmm", "hal"}},
    {"Energía potencial elástica", "epe -> energía potencial elástica, kel: constante, elo: elongación", "epe=1/2*kel*elo^2", {"kel", "elo"}},
    {"Variación de calor", "ica -> variación de calor, mca: masa, cca: constante, ite: variación de temperatura", "ica=mca*cca*ite", {"mca", "cca", "ite"}},
    {"Ley de Coulomb", "cou -> fuerza entre cargas, ko: constante, qaa: primera carga, qbb: segunda carga, dab: distancia entre cargas", "cou=ko*qaa*qbb/dab^2", {"qaa", "qbb", "dab"}},
    {"Ley de Gravitación Universal", "fgr -> fuerza entre dos masas, G=constante, maa: primera masa, mbb: segunda masa, rab: distancia entre las masas", "fgr=G*maa*mbb/rab^2", {"maa", "mbb", "rab"}},
};

} // namespace

std::span<const TFormulaTemplate> FormulaTemplates(TFormulaGroup group)
{
    switch (group) {
    case TFormulaGroup::Areas:
        return kAreas;
    case TFormulaGroup::Volumes:
        return kVolumes;
    case TFormulaGroup::Physics:
        break;
    }
    return kPhysics;
}
