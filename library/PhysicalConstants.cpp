#include "library/PhysicalConstants.h"

namespace {

// The item texts as the list has always shown them (two blanks after the
// comma in the first fourteen, "F." and "dl", the unbalanced ")").
const TPhysicalConstant kConstants[] = {
    {"G,  gravitación universal [N.m^2/kg^2]", "G=6.67259E-11"},
    {"me,  masa del electrón [kg]", "me=9.1093897E-31"},
    {"c,  velocidad de la luz en el vacio [m/s]", "c=2.99792458E8"},
    {"µ0,  permeabilidad del vacio [N.A^(-2)]", "mu=1.25664E-6"},
    {"e0,  permitividad dl vacio [F/m]", "eps=8.854187817E-12"},
    {"h,  constante de Planck [J.s]", "h=6.6260755E-34"},
    {"e,  carga del electrón [C]", "e=1.60217733E-19"},
    {"mp,  masa del protón [kg]", "mp=1.6726231E-27"},
    {"mn,  masa del neutrón [kg]", "mn=1.6749286E-27"},
    {"Na,  número de Avogadro [1/mol]", "Na=6.0221367E23"},
    {"F.  constante de Faraday [C/mol)]", "F=96485.309"},
    {"R,  constante de los gases [J/mol.K]", "R=8.314510"},
    {"k,  constante de Boltzman [J/K]", "k=1.380658E-23"},
    {"ko,  constante de la fuerza de Coulomb [N.m^2/C^2]", "Ko=8.98755E9"},
    {"MT, masa de la Tierra [kg]", "mt=5.97E24"},
    {"MS, masa del Sol [kg]", "ms=1.989E30"},
    {"UA, distancia media Tierra-Sol [m]", "ua=1.49E11"},
    {"ML, masa de la Luna [kg]", "ml=7.342E22"},
    {"AL, año luz [m]", "al=9.4607E15"},
    {"gt, aceleración de la gravedad en la Tierra [m/s^2]", "gt=9.8"},
    {"año, periodo órbital terrestre [días]", "año=365.25"},
};

} // namespace

std::span<const TPhysicalConstant> PhysicalConstants()
{
    return kConstants;
}
