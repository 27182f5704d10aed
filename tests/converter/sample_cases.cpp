#include "sample_cases.hpp"

#include "converter_test_support.hpp"

namespace quarn::test {

namespace {

std::string NovosoftGuard(const std::string& body)
{
    const std::string sm = "Behavioral_Elements.State_Machines.";
    const std::string dt = "Foundation.Data_Types.";
    return "<" + sm + "Transition.guard><" + sm + "Guard xmi.id=\"derived.1\"><" + sm + "Guard.expression><" + dt +
           "BooleanExpression><" + dt + "Expression.language>C</" + dt + "Expression.language><" + dt +
           "Expression.body>" + body + "</" + dt + "Expression.body></" + dt + "BooleanExpression></" + sm +
           "Guard.expression></" + sm + "Guard></" + sm + "Transition.guard>";
}

const std::string kCameo = "_19_0_3_9120299_";
const std::string kArgo = "10-0-1-71-ccf24cc:163e9b1aef7:-8000:";
const std::string kNovosoftSwitch =
    "<Behavioral_Elements.State_Machines.Transition xmi.id=\"xmi.23\" xmi.uuid=\"127-0-0-1-73a5d3:eef59cabcb:-7fd7\">";
const std::string kMiceSwitch = "xmi:id=\"tBRj7fqAUtgAaw0B\" xmi:type=\"uml:Transition\">";

const std::vector<SampleCase> kCases = {
    {"PapyrusGuards",
     "papyrus/simple-guards.uml",
     {"S1", "S2", "S3", "S4"},
     {{"name=\"S1\"", "name=\"Roff3\""},
      {"name=\"S2\"", "name=\"Ron3\""},
      {"<body>denyGuard</body>", "<body>(T0 &amp;&amp; T1) || R2</body>"}},
     3,
     "(#T0&amp;&amp;#T1)||#R2",
     "StateMachine"},
    {"PapyrusTimers", "papyrus/simple-timers.uml", {"S1", "S2", "S3", "S4", "S5"}, {}},
    {"PapyrusRootRegions", "papyrus/simple-root-regions.uml", {"S1", "S2", "S3", "S4"}, {}},
    {"PapyrusShowcase", "papyrus/ShowcaseMachine.uml", {"S11", "S12", "S211", "S212"}, {}},
    {"PapyrusOrderShipping",
     "papyrus/ordershipping.uml",
     {"RECEIVE_ORDER", "SHIP_ORDER", "WAIT_NEW_ORDER", "NOTIFY_CUSTOMER", "SEND_REMINDER", "WAIT_ORDER",
      "HANDLE_PAYMENT", "SEND_BILL", "WAIT_PAYMENT", "WAIT_PRODUCT", "PRODUCE", "FILL_ORDER", "CHECK_STOCK",
      "MAKE_PRODUCTION_PLAN"},
     {}},
    {"Modelio",
     "modelio/lecturer-state-machine.xmi",
     {"on loan", "Available", "State", "State1", "authentication", "transaction", "State2", "State3", "State4"},
     {{"name=\"Available\"", "name=\"Roff5\""},
      {"name=\"on loan\"", "name=\"Ron5\""},
      {"value=\"issue\"", "value=\"S0 || S1\""}},
     5,
     "#S0||#S1",
     "State Machine"},
    {"EnterpriseArchitect",
     "enterprise-architect/EA_XMI21.xmi",
     {"State1", "State2", "InnterState1", "InnterState2"},
     {{"name=\"State1\"", "name=\"Roff7\""},
      {"name=\"State2\"", "name=\"Ron7\""},
      {"source=\"EAID_A6ACD15D_8ECA_4542_8C62_74B04AE31004\" target=\"EAID_694B2762_6239_46b1_8B86_7C561621DDF2\"",
       "source=\"EAID_11B8B04A_BB2D_4996_88D4_30407D7E324F\" target=\"EAID_4F24E45F_5C49_41c7_881E_74418CD4A7E3\""},
      {"body=\"This is guard expression\"", "body=\"T7\""}},
     7,
     "#T7",
     "EA_StateMachine1"},
    {"VisualParadigmAllDiagrams",
     "visual-paradigm/VP_XMI21.xmi",
     {"State1", "SubmachineState1", "InnterState1", "InnterState2", "State2"},
     {}},
    {"VisualParadigm",
     "visual-paradigm/mice-statemachine.xmi",
     {"Order specifications taken in", "Order is added to queue", "Order is marked as paid",
      "Order options now available", "Customers assigned to server are displayed",
      "Order is completed and marked as paid", "Order added for customer"},
     {{"name=\"Order specifications taken in\"", "name=\"R6 off\""},
      {"name=\"Order is added to queue\"", "name=\"R6 on\""},
      {kMiceSwitch, kMiceSwitch + "<guard xmi:id=\"derived_guard\" xmi:type=\"uml:Constraint\"><specification "
                                  "body=\"S2 &amp;&amp; !T4\" xmi:id=\"derived_guard_spec\" "
                                  "xmi:type=\"uml:OpaqueExpression\"/></guard>"}},
     6,
     "#S2&amp;&amp;!#T4",
     ""},
    {"MagicDrawCameo",
     "magicdraw-cameo/String_Guards.xml",
     {"Far", "Bar"},
     {{"name='OFF'", "name='R2 off'"},
      {"name='ON'", "name='R2 on'"},
      {"source='" + kCameo + "1628893135544_707219_42635' target='" + kCameo + "1629493671793_144012_42620'",
       "source='" + kCameo + "1628893135544_707219_42635' target='" + kCameo + "1628893147103_551864_42655'"},
      {"<body>g4()</body>", "<body>T2 &amp;&amp; !S1</body>"}},
     2,
     "#T2&amp;&amp;!#S1",
     "String_Guards"},
    {"StarUml",
     "staruml/dhcp_client_fsm.xmi",
     {"Renewing", "Bound", "Rebind", "Selecting", "Init", "Requesting"},
     {{"name=\"Requesting\"", "name=\"Roff4\""},
      {"name=\"Init\"", "name=\"Ron4\""},
      {"specification=\"dhcp_check\"", "specification=\"!S3 &amp;&amp; T2\""}},
     4,
     "!#S3&amp;&amp;#T2",
     "DHCPClient"},
    {"StarUmlTwoMachines", "staruml/test_xmi_machine_input.xmi", {"A", "B", "E11", "E12", "E13", "C", "D"}, {}},
    {"ArgoUml",
     "argouml/test_argouml_input.xmi",
     {"A", "C1", "D1", "D2", "D3", "B", "SUB"},
     {{"name = 'A'", "name = 'Ron1'"},
      {"name = 'B'", "name = 'Roff1'"},
      {kArgo + "000000000000088C'\n              isSpecification = 'false'>",
       kArgo + "000000000000088C'\n              isSpecification = 'false'><UML:Transition.guard>"
               "<UML:Guard xmi.id = 'derived-guard'><UML:Guard.expression><UML:BooleanExpression "
               "xmi.id = 'derived-expression' language = '' body = 'R1 &amp;&amp; !S0'/></UML:Guard.expression>"
               "</UML:Guard></UML:Transition.guard>"}},
     1,
     "#R1&amp;&amp;!#S0",
     "Machine1"},
    {"Novosoft",
     "argouml-uml13-novosoft/Alittlebitofeverything.xmi",
     {"s1", "s2", "s3"},
     {{">s2</Foundation.Core.ModelElement.name>", ">Roff2</Foundation.Core.ModelElement.name>"},
      {">s3</Foundation.Core.ModelElement.name>", ">Ron2</Foundation.Core.ModelElement.name>"},
      {kNovosoftSwitch, kNovosoftSwitch + NovosoftGuard("T6 || S2")}},
     2,
     "#T6||#S2",
     "LittleStateMachine"},
    {"Umbrello", "umbrello/state-all-elements.xmi", {}, {}},
};

}  // namespace

const std::vector<SampleCase>& SampleCases()
{
    return kCases;
}

std::vector<SampleCase> RelayCopies()
{
    std::vector<SampleCase> copies;
    for (const SampleCase& sample : kCases) {
        if (!sample.edits.empty()) {
            copies.push_back(sample);
        }
    }
    return copies;
}

std::string RelayCopyText(const SampleCase& sample, const std::string& original)
{
    std::string text = original;
    for (const auto& [from, to] : sample.edits) {
        if (ReplaceAll(text, from, to) == 0) {
            return {};
        }
    }
    return text;
}

void PrintTo(const SampleCase& sample, std::ostream* out)
{
    *out << sample.file;
}

}  // namespace quarn::test
